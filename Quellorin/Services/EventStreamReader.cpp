#include "Quellorin/Services/EventStreamReader.h"

#include "Platform/Core/Log.h"

#include <nlohmann/json.hpp>
#include <simdjson.h>

#include <cstring>
#include <utility>

namespace quellorin {
namespace {

using nlohmann::json;

constexpr std::string_view kDataPrefix = "data: ";
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// The sequence at the start of non-empty UTF-8 text: its length when well formed, or else the
// length of its maximal subpart (the longest start of a well-formed sequence, at least one
// byte), which a decoder replaces with one U+FFFD.
struct Sequence {
  std::size_t length;
  bool wellFormed;
};

Sequence leadingSequence(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return {1, true};
  std::size_t continuations = 0;
  unsigned char low = 0x80;  // the range of the second byte, narrower after some leads
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    continuations = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    continuations = 2;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    continuations = 3;
    if (lead == 0xF0) low = 0x90;   // no overlong forms
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return {1, false};
  }
  for (std::size_t i = 1; i <= continuations; ++i) {
    const unsigned char first = i == 1 ? low : 0x80;
    const unsigned char last = i == 1 ? high : 0xBF;
    if (i >= text.size() || byte(i) < first || byte(i) > last) return {i, false};
  }
  return {continuations + 1, true};
}

// `text` with every ill-formed part replaced by U+FFFD, as a text decoder reads it.
std::string withInvalidBytesReplaced(std::string_view text) {
  std::string repaired;
  repaired.reserve(text.size() + 8);
  while (!text.empty()) {
    const Sequence sequence = leadingSequence(text);
    if (sequence.wellFormed) {
      repaired.append(text.substr(0, sequence.length));
    } else {
      repaired.append(kReplacementCharacter);
    }
    text.remove_prefix(sequence.length);
  }
  return repaired;
}

bool isAllASCII(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

std::optional<StreamEvent> textEvent(std::string kind, std::optional<std::string> text) {
  if (!text) return std::nullopt;
  return StreamEvent{std::move(kind), std::move(*text)};
}

// The members of an event object that the reader uses.
struct EventMembers {
  std::optional<std::string> event;
  std::optional<std::string> answer;
  std::optional<std::string> message;

  std::optional<std::string>* member(std::string_view key) {
    if (key == "event") return &event;
    if (key == "answer") return &answer;
    if (key == "message") return &message;
    return nullptr;
  }
};

// Every line of every answer passes here, so it goes through simdjson, which validates the
// whole text (UTF-8 included) several times faster than a general-purpose parser. One parser
// per thread keeps its buffers between lines.
std::optional<EventMembers> parseEventMembers(std::string_view text) {
  thread_local simdjson::dom::parser parser;
  simdjson::dom::object object;
  if (parser.parse(text.data(), text.size()).get_object().get(object) != simdjson::SUCCESS)
    return std::nullopt;
  EventMembers members;
  for (const auto field : object) {
    auto* member = members.member(field.key);
    if (member == nullptr) continue;
    // A repeated member replaces the earlier one, whatever its type.
    std::string_view value;
    if (field.value.get_string().get(value) == simdjson::SUCCESS) {
      *member = std::string(value);
    } else {
      member->reset();
    }
  }
  return members;
}

// nullopt when the text is not a JSON object. The JSON parser refuses invalid UTF-8; such text
// is read the way a text decoder reads it instead, with U+FFFD in place of the bad bytes.
std::optional<EventMembers> readEventMembers(std::string_view text) {
  if (auto members = parseEventMembers(text)) return members;
  if (isAllASCII(text)) return std::nullopt;
  return parseEventMembers(withInvalidBytesReplaced(text));
}

// The whole object, for the log line of an error event.
std::string objectDescription(std::string_view text) {
  json parsed = json::parse(text.begin(), text.end(), nullptr, false);
  if (parsed.is_discarded()) parsed = json::parse(withInvalidBytesReplaced(text), nullptr, false);
  return parsed.dump();
}

}  // namespace

EventStreamReader::EventStreamReader(EventCallback onEvent, std::size_t maxLineBytes)
    : onEvent_(std::move(onEvent)), maxLineBytes_(maxLineBytes) {}

std::optional<StreamEvent> EventStreamReader::handleStreamLine(std::string_view line) {
  if (!line.starts_with(kDataPrefix)) return std::nullopt;
  const std::string_view payload = line.substr(kDataPrefix.size());
  auto members = readEventMembers(payload);
  if (!members || !members->event) return std::nullopt;
  std::string& kind = *members->event;
  if (kind == "message") return textEvent(std::move(kind), std::move(members->answer));
  if (kind == "workflow_started" || kind == "workflow_finished") {
    return textEvent(std::move(kind), std::move(members->message));
  }
  if (kind == "error") {
    platform::log("接收到错误：" + objectDescription(payload));
    return textEvent(std::move(kind), std::move(members->message));
  }
  platform::log("接收到事件：" + kind);
  return std::nullopt;
}

void EventStreamReader::handleLine(std::string_view line) {
  if (auto event = handleStreamLine(line)) {
    ++delivered_;
    onEvent_(*event);
  }
}

bool EventStreamReader::overflow() {
  overflowed_ = true;
  pending_ = std::string();  // gives the memory back
  return false;
}

bool EventStreamReader::feed(std::string_view bytes) {
  if (overflowed_) return false;
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
      if (pending_.size() + bytes.size() > maxLineBytes_) return overflow();
      pending_.append(bytes);
      return true;
    }
    const std::string_view piece(start, static_cast<std::size_t>(lineEnd - start));
    if (pending_.size() + piece.size() > maxLineBytes_) return overflow();
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
  return true;
}

void EventStreamReader::finish() {
  afterCarriageReturn_ = false;
  if (overflowed_ || pending_.empty()) return;
  const std::string line = std::exchange(pending_, std::string());
  handleLine(line);
}

}  // namespace quellorin
