#include "SQLite/Query/Expression.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <type_traits>

namespace sql {

namespace {

// Splits the shortest scientific form ("d.ddde±x") into its digits and decimal exponent.
struct DecimalDigits {
  std::string digits;
  int exponent = 0;
};

DecimalDigits shortestDigits(double magnitude) {
  std::array<char, 64> buffer{};
  auto [end, error] =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, std::chars_format::scientific);
  std::string_view text(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
  const auto e = text.find('e');
  DecimalDigits result;
  for (char c : text.substr(0, e)) {
    if (c != '.') result.digits += c;
  }
  std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), result.exponent);
  return result;
}

std::string fixedForm(const DecimalDigits& d) {
  std::string text;
  const int pointAt = d.exponent + 1;  // digits before the decimal point
  if (pointAt <= 0) {
    text = "0." + std::string(static_cast<std::size_t>(-pointAt), '0') + d.digits;
  } else if (static_cast<std::size_t>(pointAt) >= d.digits.size()) {
    text = d.digits + std::string(static_cast<std::size_t>(pointAt) - d.digits.size(), '0') + ".0";
  } else {
    text = d.digits.substr(0, static_cast<std::size_t>(pointAt)) + "." +
           d.digits.substr(static_cast<std::size_t>(pointAt));
  }
  return text;
}

std::string exponentForm(const DecimalDigits& d) {
  std::string text = d.digits.substr(0, 1);
  if (d.digits.size() > 1) text += "." + d.digits.substr(1);
  const int magnitude = std::abs(d.exponent);
  text += d.exponent < 0 ? "e-" : "e+";
  if (magnitude < 10) text += '0';
  text += std::to_string(magnitude);
  return text;
}

// Length of the quoted name, quoted text or comment starting at `at`, or 0 when none starts
// there. The engine reads everything inside these as text, so a "?" in them is no placeholder.
// A doubled quote mark stands for itself; an unclosed form runs to the end.
std::size_t textOnlyLength(std::string_view sql, std::size_t at) {
  const auto through = [&](std::string_view closing, std::size_t from) {
    const std::size_t end = sql.find(closing, from);
    return (end == std::string_view::npos ? sql.size() : end + closing.size()) - at;
  };
  const char first = sql[at];
  const char second = at + 1 < sql.size() ? sql[at + 1] : '\0';
  switch (first) {
    case '\'':
    case '"':
    case '`': {
      std::size_t i = at + 1;
      while (i < sql.size()) {
        if (sql[i] != first) {
          ++i;
        } else if (i + 1 < sql.size() && sql[i + 1] == first) {
          i += 2;
        } else {
          return i + 1 - at;
        }
      }
      return sql.size() - at;
    }
    case '[':
      return through("]", at + 1);
    case '-':
      return second == '-' ? through("\n", at + 2) : 0;
    case '/':
      return second == '*' ? through("*/", at + 2) : 0;
    default:
      return 0;
  }
}

// A placeholder as the engine numbers it: "?" takes the number after the highest used so far,
// "?NNN" takes NNN. A number the engine would refuse reads as 0.
struct Placeholder {
  std::int64_t number = 0;
  std::size_t length = 1;
};

Placeholder readPlaceholder(std::string_view sql, std::size_t at, std::int64_t lastNumber) {
  std::size_t end = at + 1;
  while (end < sql.size() && sql[end] >= '0' && sql[end] <= '9') ++end;
  if (end == at + 1) return {lastNumber + 1, 1};
  Placeholder placeholder{0, end - at};
  const auto [stop, error] = std::from_chars(sql.data() + at + 1, sql.data() + end, placeholder.number);
  if (error != std::errc() || stop != sql.data() + end) placeholder.number = 0;
  return placeholder;
}

}  // namespace

std::string shortestDoubleText(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  const std::string sign = std::signbit(value) ? "-" : "";
  if (value == 0) return sign + "0.0";
  const DecimalDigits digits = shortestDigits(std::fabs(value));
  // Plain decimal notation from 1e-4 up to 2^53, where doubles stop being exact integers.
  constexpr double exactIntegerLimit = 9007199254740992.0;
  const bool plain = digits.exponent >= -4 && std::fabs(value) < exactIntegerLimit;
  return sign + (plain ? fixedForm(digits) : exponentForm(digits));
}

std::string literalOf(const std::optional<Binding>& binding) {
  if (!binding) return "NULL";
  return std::visit(
      [](const auto& value) -> std::string {
        using V = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<V, std::string>) {
          return quote(value, '\'');
        } else if constexpr (std::is_same_v<V, Blob>) {
          return "x'" + value.toHex() + "'";
        } else if constexpr (std::is_same_v<V, double>) {
          return shortestDoubleText(value);
        } else {
          return std::to_string(value);
        }
      },
      *binding);
}

std::string renderWithLiterals(std::string_view templateText, const Bindings& bindings) {
  std::string text;
  text.reserve(templateText.size() + bindings.size() * 4);
  std::int64_t lastNumber = 0;
  std::size_t at = 0;
  while (at < templateText.size()) {
    if (const std::size_t quoted = textOnlyLength(templateText, at); quoted > 0) {
      text.append(templateText.substr(at, quoted));
      at += quoted;
    } else if (templateText[at] == '?') {
      const Placeholder placeholder = readPlaceholder(templateText, at, lastNumber);
      lastNumber = std::max(lastNumber, placeholder.number);
      const bool bound =
          placeholder.number >= 1 && static_cast<std::uint64_t>(placeholder.number) <= bindings.size();
      text +=
          bound ? literalOf(bindings[static_cast<std::size_t>(placeholder.number - 1)]) : std::string("NULL");
      at += placeholder.length;
    } else {
      text += templateText[at++];
    }
  }
  return text;
}

Expression<void> join(std::string_view separator, std::span<const Expression<void>> fragments) {
  std::string text;
  Bindings bindings;
  std::size_t size = 0;
  for (const auto& fragment : fragments) size += fragment.template_().size() + separator.size();
  text.reserve(size);
  bool first = true;
  for (const auto& fragment : fragments) {
    if (!first) text.append(separator);
    first = false;
    text.append(fragment.template_());
    bindings.insert(bindings.end(), fragment.bindings().begin(), fragment.bindings().end());
  }
  return Expression<void>(std::move(text), std::move(bindings));
}

const Expression<void>& rowid() {
  static const Expression<void> fragment(quote("ROWID", '"'), {});
  return fragment;
}

}  // namespace sql
