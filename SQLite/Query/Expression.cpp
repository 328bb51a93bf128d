#include "SQLite/Query/Expression.h"

#include <array>
#include <charconv>
#include <cmath>
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
  auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                    std::chars_format::scientific);
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
  std::size_t next = 0;
  for (char c : templateText) {
    if (c != '?') {
      text += c;
      continue;
    }
    text += next < bindings.size() ? literalOf(bindings[next]) : std::string("NULL");
    ++next;
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
