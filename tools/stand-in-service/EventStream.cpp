#include "EventStream.h"

#include <nlohmann/json.hpp>

namespace standin {
namespace {

constexpr std::size_t kCodePointsPerMessage = 4;

std::string eventLine(const nlohmann::json& event) { return "data: " + event.dump() + "\n"; }

// Cuts UTF-8 text into pieces of `count` code points, never inside a sequence.
std::vector<std::string> codePointPieces(const std::string& text, std::size_t count) {
  std::vector<std::string> pieces;
  std::string piece;
  std::size_t inPiece = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const bool startsCodePoint = (byte & 0xC0) != 0x80;
    if (startsCodePoint && inPiece == count) {
      pieces.push_back(std::move(piece));
      piece.clear();
      inPiece = 0;
    }
    if (startsCodePoint) ++inPiece;
    piece.push_back(text[i]);
  }
  if (!piece.empty()) pieces.push_back(std::move(piece));
  return pieces;
}

}  // namespace

std::string replyTo(const std::string& lastUserMessage) { return "You said: " + lastUserMessage; }

std::vector<std::string> answerLines(const std::string& reply) {
  std::vector<std::string> lines;
  auto add = [&lines](const nlohmann::json& event) {
    lines.push_back(eventLine(event));
    lines.push_back("\n");
  };
  add({{"event", "workflow_started"}, {"message", "started"}, {"task_id", "stand-in"}});
  for (const auto& piece : codePointPieces(reply, kCodePointsPerMessage)) {
    add({{"event", "message"}, {"answer", piece}, {"task_id", "stand-in"}});
  }
  add({{"event", "workflow_finished"}, {"message", "finished"}, {"task_id", "stand-in"}});
  return lines;
}

std::vector<std::string> noiseLines() {
  return {
      "\n",
      ": keep-alive comment\n",
      "event: message\n",
      "id: 17\n",
      "data:{\"event\":\"message\",\"answer\":\"no space after the colon\"}\n",
      "Data: {\"event\":\"message\",\"answer\":\"wrong letter case\"}\n",
      "data: this is not JSON\n",
      "data: [\"an\",\"array\"]\n",
      "data: {\"event\":\"message\",\"answer\":\"an object cut in two\n",
      "data: {\"answer\":\"no kind\"}\n",
      "data: {\"event\":7,\"answer\":\"kind is a number\"}\n",
      "data: {\"event\":\"message\",\"answer\":42}\n",
      "data: {\"event\":\"workflow_started\"}\n",
      "data: {\"event\":\"ping\",\"message\":\"unknown kind \xff\"}\n",
  };
}

std::string bulkBlock(std::size_t size, std::size_t& events) {
  const std::string line =
      eventLine({{"event", "message"},
                 {"answer", "The quick brown fox jumps over the lazy dog; 0123456789 abcdefghij."},
                 {"task_id", "stand-in"}}) +
      "\n";
  std::string block;
  events = 0;
  while (block.size() + line.size() <= size) {
    block += line;
    ++events;
  }
  return block;
}

}  // namespace standin
