#include "Quellorin/Services/EventStreamReader.h"

#include "Platform/Log.h"

#include <nlohmann/json.hpp>

#include <cstring>
#include <utility>

namespace quellorin {
namespace {

using nlohmann::json;

constexpr std::string_view kDataPrefix = "data: ";
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// The length of the valid UTF-8 sequence at the start of `text`, or 0 when it is not one.
std::size_t validSequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const auto continuation = [&](std::size_t i) { return i < text.size() && (byte(i) & 0xC0) == 0x80; };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return continuation(1) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    if (!continuation(1) || !continuation(2)) return 0;
    if (lead == 0xE0 && byte(1) < 0xA0) return 0;  // overlong
    if (lead == 0xED && byte(1) > 0x9F) return 0;  // surrogate
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    if (!continuation(1) || !continuation(2) || !continuation(3)) return 0;
    if (lead == 0xF0 && byte(1) < 0x90) return 0;  // overlong
    if (lead == 0xF4 && byte(1) > 0x8F) return 0;  // above U+10FFFF
    return 4;
  }
  return 0;
}

// `text` with every invalid UTF-8 byte replaced by U+FFFD, as a text decoder reads it.
std::string withInvalidBytesReplaced(std::string_view text) {
  std::string repaired;
  repaired.reserve(text.size() + 8);
  while (!text.empty()) {
    const std::size_t length = validSequenceLength(text);
    if (length == 0) {
      repaired.append(kReplacementCharacter);
      text.remove_prefix(1);
    } else {
      repaired.append(text.substr(0, length));
      text.remove_prefix(length);
    }
  }
  return repaired;
}

bool isAllASCII(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

json parseObject(std::string_view text) {
  json parsed = json::parse(text.begin(), text.end(), nullptr, false);
  if (!parsed.is_discarded() || isAllASCII(text)) return parsed;
  // The JSON parser refuses invalid UTF-8; read it the way a text decoder would instead.
  return json::parse(withInvalidBytesReplaced(text), nullptr, false);
}

std::optional<StreamEvent> eventWithText(const json& object, const std::string& kind, const char* member) {
  const auto found = object.find(member);
  if (found == object.end() || !found->is_string()) return std::nullopt;
  return StreamEvent{kind, found->get<std::string>()};
}

}  // namespace

EventStreamReader::EventStreamReader(EventCallback onEvent) : onEvent_(std::move(onEvent)) {}

std::optional<StreamEvent> EventStreamReader::handleStreamLine(std::string_view line) {
  if (!line.starts_with(kDataPrefix)) return std::nullopt;
  const json object = parseObject(line.substr(kDataPrefix.size()));
  if (!object.is_object()) return std::nullopt;
  const auto kind = object.find("event");
  if (kind == object.end() || !kind->is_string()) return std::nullopt;
  const std::string& name = kind->get_ref<const std::string&>();
  if (name == "message") return eventWithText(object, name, "answer");
  if (name == "workflow_started" || name == "workflow_finished") return eventWithText(object, name, "message");
  if (name == "error") {
    platform::log("接收到错误：" + object.dump());
    return eventWithText(object, name, "message");
  }
  platform::log("接收到事件：" + name);
  return std::nullopt;
}

void EventStreamReader::handleLine(std::string_view line) {
  if (auto event = handleStreamLine(line)) {
    ++delivered_;
    onEvent_(*event);
  }
}

void EventStreamReader::feed(std::string_view bytes) {
  if (afterCarriageReturn_ && !bytes.empty()) {
    afterCarriageReturn_ = false;
    if (bytes.front() == '\n') bytes.remove_prefix(1);  // the second half of a "\r\n"
  }
  while (!bytes.empty()) {
    const char* start = bytes.data();
    const char* end = start + bytes.size();
    const char* newline = static_cast<const char*>(std::memchr(start, '\n', bytes.size()));
    const auto searchLength = static_cast<std::size_t>((newline != nullptr ? newline : end) - start);
    const char* carriage = static_cast<const char*>(std::memchr(start, '\r', searchLength));
    const char* lineEnd = carriage ? carriage : newline;
    if (lineEnd == nullptr) {
      pending_.append(bytes);
      return;
    }
    const std::string_view piece(start, static_cast<std::size_t>(lineEnd - start));
    std::size_t consumed = piece.size() + 1;
    if (carriage != nullptr) {
      if (lineEnd + 1 < end && lineEnd[1] == '\n') {
        ++consumed;
      } else if (lineEnd + 1 == end) {
        afterCarriageReturn_ = true;
      }
    }
    if (pending_.empty()) {
      handleLine(piece);
    } else {
      pending_.append(piece);
      const std::string line = std::exchange(pending_, std::string());
      handleLine(line);
    }
    bytes.remove_prefix(consumed);
  }
}

void EventStreamReader::finish() {
  afterCarriageReturn_ = false;
  if (pending_.empty()) return;
  const std::string line = std::exchange(pending_, std::string());
  handleLine(line);
}

}  // namespace quellorin
