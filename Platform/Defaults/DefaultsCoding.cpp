#include "Platform/Defaults/DefaultsCoding.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include "Platform/Crypto/Base64.h"
#include "Platform/Core/Overloaded.h"

namespace platform {
namespace {

constexpr int kFormat = 1;

[[noreturn]] void fail(const std::string& key, const std::string& problem) {
  throw std::runtime_error("value \"" + key + "\": " + problem);
}

std::string base64(const DefaultsBytes& bytes) {
  return base64Encode(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::optional<DefaultsBytes> fromBase64(const std::string& text) {
  const auto decoded = base64Decode(text);
  if (!decoded) return std::nullopt;
  return DefaultsBytes(decoded->begin(), decoded->end());
}

nlohmann::json encodeDouble(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  return value;
}

nlohmann::json encodeValue(const DefaultsValue& value) {
  using nlohmann::json;
  return std::visit(
      Overloaded{
          [](const std::string& text) {
            return json{{"type", "text"}, {"value", text}};
          },
          [](bool truth) {
            return json{{"type", "bool"}, {"value", truth}};
          },
          [](std::int64_t integer) {
            return json{{"type", "integer"}, {"value", integer}};
          },
          [](double real) {
            return json{{"type", "double"}, {"value", encodeDouble(real)}};
          },
          [](const DefaultsDate& date) {
            const auto nanoseconds =
                std::chrono::duration_cast<std::chrono::nanoseconds>(date.time_since_epoch()).count();
            return json{{"type", "date"}, {"value", static_cast<std::int64_t>(nanoseconds)}};
          },
          [](const DefaultsBytes& bytes) {
            return json{{"type", "bytes"}, {"value", base64(bytes)}};
          },
          [](const nlohmann::json& any) {
            return json{{"type", "json"}, {"value", any}};
          },
      },
      value);
}

std::int64_t decodeInteger(const std::string& key, const nlohmann::json& value) {
  if (value.is_number_integer() && !value.is_number_unsigned()) return value.get<std::int64_t>();
  if (value.is_number_unsigned() &&
      value.get<std::uint64_t>() <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
    return value.get<std::int64_t>();
  }
  fail(key, "expected a 64-bit integer");
}

double decodeDouble(const std::string& key, const nlohmann::json& value) {
  if (value.is_number()) return value.get<double>();
  if (value == "nan") return std::numeric_limits<double>::quiet_NaN();
  if (value == "inf") return std::numeric_limits<double>::infinity();
  if (value == "-inf") return -std::numeric_limits<double>::infinity();
  fail(key, "expected a number");
}

DefaultsValue decodeValue(const std::string& key, const nlohmann::json& entry) {
  if (!entry.is_object()) fail(key, "expected an object with a type and a value");
  const auto type = entry.find("type");
  const auto value = entry.find("value");
  if (type == entry.end() || !type->is_string() || value == entry.end()) {
    fail(key, "expected an object with a type and a value");
  }
  const auto& tag = type->get_ref<const std::string&>();
  if (tag == "text") {
    if (!value->is_string()) fail(key, "expected a text");
    return DefaultsValue(std::in_place_type<std::string>, value->get<std::string>());
  }
  if (tag == "bool") {
    if (!value->is_boolean()) fail(key, "expected true or false");
    return DefaultsValue(std::in_place_type<bool>, value->get<bool>());
  }
  if (tag == "integer") return DefaultsValue(std::in_place_type<std::int64_t>, decodeInteger(key, *value));
  if (tag == "double") return DefaultsValue(std::in_place_type<double>, decodeDouble(key, *value));
  if (tag == "date") {
    return DefaultsValue(std::in_place_type<DefaultsDate>,
                         DefaultsDate(std::chrono::duration_cast<DefaultsDate::duration>(
                             std::chrono::nanoseconds(decodeInteger(key, *value)))));
  }
  if (tag == "bytes") {
    auto bytes = value->is_string() ? fromBase64(value->get<std::string>()) : std::nullopt;
    if (!bytes) fail(key, "expected base64 text");
    return DefaultsValue(std::in_place_type<DefaultsBytes>, std::move(*bytes));
  }
  if (tag == "json") return DefaultsValue(std::in_place_type<nlohmann::json>, *value);
  fail(key, "unknown type \"" + tag + "\"");
}

}  // namespace

std::string encodeDefaults(const DefaultsMap& values) {
  nlohmann::json entries = nlohmann::json::object();
  for (const auto& [key, value] : values) entries[key] = encodeValue(value);
  const nlohmann::json document = {{"format", kFormat}, {"values", std::move(entries)}};
  // Stored texts are already valid UTF-8; replacing is only a guard against a throw here.
  return document.dump(1, '\t', false, nlohmann::json::error_handler_t::replace) + "\n";
}

DecodedDefaults decodeDefaults(std::string_view contents) {
  nlohmann::json document;
  try {
    document = nlohmann::json::parse(contents);
  } catch (const nlohmann::json::exception& error) {
    throw std::runtime_error(std::string("not a JSON document (") + error.what() + ")");
  }
  if (!document.is_object()) throw std::runtime_error("the document is not a JSON object");
  const auto format = document.find("format");
  // Whole numbers from 0 up read as unsigned, negative ones as signed.
  if (format == document.end() || !format->is_number_unsigned() || format->get<std::uint64_t>() < 1) {
    throw std::runtime_error("unknown format");
  }
  if (format->get<std::uint64_t>() > static_cast<std::uint64_t>(kFormat)) {
    throw NewerDefaultsFormat("format " + format->dump() + ", newer than this version's " +
                              std::to_string(kFormat));
  }
  const auto values = document.find("values");
  if (values == document.end() || !values->is_object()) throw std::runtime_error("no \"values\" object");

  DecodedDefaults result;
  for (const auto& [key, entry] : values->items()) {
    try {
      // Checked before anything copies the value: {"type": ..., "value": ...} adds a level.
      if (nestedDeeperThan(entry, kMaxJSONNesting + 1)) fail(key, "nested too deeply");
      result.values.emplace(key, decodeValue(key, entry));
    } catch (const std::runtime_error& error) {
      result.unreadable.emplace_back(error.what());
    }
  }
  return result;
}

}  // namespace platform
