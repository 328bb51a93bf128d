#include "Platform/Defaults/DefaultsValue.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "Platform/Core/Overloaded.h"
#include "Platform/Core/Unicode.h"

namespace platform {
namespace {

// The stored scalar that a JSON string, truth value or number stands for.
std::optional<DefaultsValue> scalarOf(const nlohmann::json& json) {
  switch (json.type()) {
    case nlohmann::json::value_t::string:
      return DefaultsValue(std::in_place_type<std::string>, json.get<std::string>());
    case nlohmann::json::value_t::boolean:
      return DefaultsValue(std::in_place_type<bool>, json.get<bool>());
    case nlohmann::json::value_t::number_integer:
      return DefaultsValue(std::in_place_type<std::int64_t>, json.get<std::int64_t>());
    case nlohmann::json::value_t::number_unsigned:
      if (json.get<std::uint64_t>() <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        return DefaultsValue(std::in_place_type<std::int64_t>, json.get<std::int64_t>());
      }
      return DefaultsValue(std::in_place_type<double>, json.get<double>());
    case nlohmann::json::value_t::number_float:
      return DefaultsValue(std::in_place_type<double>, json.get<double>());
    default:
      return std::nullopt;
  }
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view withoutLeadingSpace(std::string_view text) {
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  return text;
}

std::string shortestText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::int64_t leadingInteger(std::string_view text) {
  text = withoutLeadingSpace(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // Accumulate the magnitude, saturating at 2^63, the largest magnitude of any int64.
  constexpr std::uint64_t limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1;
  std::uint64_t magnitude = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
  }
  if (magnitude >= limit) {
    return negative ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max();
  }
  const auto result = static_cast<std::int64_t>(magnitude);
  return negative ? -result : result;
}

double leadingReal(std::string_view text) {
  text = withoutLeadingSpace(text);
  if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() ? value : 0;
}

bool leadingTruth(std::string_view text) {
  text = withoutLeadingSpace(text);
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  while (!text.empty() && text.front() == '0') text.remove_prefix(1);
  if (text.empty()) return false;
  const char first = text.front();
  return first == 'Y' || first == 'y' || first == 'T' || first == 't' || (first >= '1' && first <= '9');
}

std::int64_t truncatedInteger(double value) {
  if (std::isnan(value)) return 0;
  // 2^63 is exactly representable; every double below it and at or above -2^63 fits.
  constexpr double limit = 9223372036854775808.0;
  if (value >= limit) return std::numeric_limits<std::int64_t>::max();
  if (value < -limit) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(value);
}

}  // namespace

std::optional<std::string> textOf(const DefaultsValue& value) {
  using Result = std::optional<std::string>;
  return std::visit(Overloaded{
                        [](const std::string& text) -> Result { return text; },
                        [](bool truth) -> Result { return truth ? "1" : "0"; },
                        [](std::int64_t integer) -> Result { return std::to_string(integer); },
                        [](double real) -> Result { return shortestText(real); },
                        [](const DefaultsDate&) -> Result { return std::nullopt; },
                        [](const DefaultsBytes&) -> Result { return std::nullopt; },
                        [](const nlohmann::json& json) -> Result {
                          const auto scalar = scalarOf(json);
                          return scalar ? textOf(*scalar) : std::nullopt;
                        },
                    },
                    value);
}

bool truthOf(const DefaultsValue& value) {
  return std::visit(Overloaded{
                        [](const std::string& text) { return leadingTruth(text); },
                        [](bool truth) { return truth; },
                        [](std::int64_t integer) { return integer != 0; },
                        [](double real) { return real != 0; },
                        [](const DefaultsDate&) { return false; },
                        [](const DefaultsBytes&) { return false; },
                        [](const nlohmann::json& json) {
                          const auto scalar = scalarOf(json);
                          return scalar && truthOf(*scalar);
                        },
                    },
                    value);
}

std::int64_t integerOf(const DefaultsValue& value) {
  return std::visit(Overloaded{
                        [](const std::string& text) { return leadingInteger(text); },
                        [](bool truth) -> std::int64_t { return truth ? 1 : 0; },
                        [](std::int64_t integer) { return integer; },
                        [](double real) { return truncatedInteger(real); },
                        [](const DefaultsDate&) -> std::int64_t { return 0; },
                        [](const DefaultsBytes&) -> std::int64_t { return 0; },
                        [](const nlohmann::json& json) -> std::int64_t {
                          const auto scalar = scalarOf(json);
                          return scalar ? integerOf(*scalar) : 0;
                        },
                    },
                    value);
}

double realOf(const DefaultsValue& value) {
  return std::visit(Overloaded{
                        [](const std::string& text) { return leadingReal(text); },
                        [](bool truth) { return truth ? 1.0 : 0.0; },
                        [](std::int64_t integer) { return static_cast<double>(integer); },
                        [](double real) { return real; },
                        [](const DefaultsDate&) { return 0.0; },
                        [](const DefaultsBytes&) { return 0.0; },
                        [](const nlohmann::json& json) {
                          const auto scalar = scalarOf(json);
                          return scalar ? realOf(*scalar) : 0.0;
                        },
                    },
                    value);
}

std::optional<nlohmann::json> jsonOf(const DefaultsValue& value) {
  using Result = std::optional<nlohmann::json>;
  return std::visit(Overloaded{
                        [](const std::string& text) -> Result { return nlohmann::json(text); },
                        [](bool truth) -> Result { return nlohmann::json(truth); },
                        [](std::int64_t integer) -> Result { return nlohmann::json(integer); },
                        [](double real) -> Result { return nlohmann::json(real); },
                        [](const DefaultsDate&) -> Result { return std::nullopt; },
                        [](const DefaultsBytes&) -> Result { return std::nullopt; },
                        [](const nlohmann::json& json) -> Result { return json; },
                    },
                    value);
}

namespace {

// Serialising refuses ill-formed UTF-8 in any string or key of the tree; serialising with
// replacement and reading the result back gives the same tree with U+FFFD in their place.
nlohmann::json repairedJSON(nlohmann::json json) {
  try {
    (void)json.dump();
    return json;
  } catch (const nlohmann::json::type_error&) {
    return nlohmann::json::parse(json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
  }
}

}  // namespace

bool nestedDeeperThan(const nlohmann::json& json, std::size_t levels) {
  std::vector<std::pair<const nlohmann::json*, std::size_t>> pending{{&json, 0}};
  while (!pending.empty()) {
    const auto [value, depth] = pending.back();
    pending.pop_back();
    if (!value->is_structured()) continue;
    if (depth + 1 > levels) return true;
    for (const auto& element : *value) pending.emplace_back(&element, depth + 1);
  }
  return false;
}

bool identical(const DefaultsValue& a, const DefaultsValue& b) {
  const auto* realA = std::get_if<double>(&a);
  const auto* realB = std::get_if<double>(&b);
  if (realA && realB) return std::bit_cast<std::uint64_t>(*realA) == std::bit_cast<std::uint64_t>(*realB);
  return a == b;
}

std::string withValidText(std::string text) {
  return unicode::isValidUTF8(text) ? text : unicode::sanitizedUTF8(text);
}

DefaultsValue withValidText(DefaultsValue value) {
  if (auto* text = std::get_if<std::string>(&value)) {
    *text = withValidText(std::move(*text));
  } else if (auto* json = std::get_if<nlohmann::json>(&value)) {
    *json = repairedJSON(std::move(*json));
  }
  return value;
}

}  // namespace platform
