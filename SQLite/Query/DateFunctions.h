#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SQLite/DateFormatter.h"
#include "SQLite/Query/Expression.h"

namespace sql {

// Calls of SQL's date and time functions. Every text passed in (time text, modifiers,
// format) is bound, never written into the SQL. The results are NULL for a time text the
// engine cannot read.
struct DateFunctions {
  using Modifiers = std::vector<std::string>;

  // date(?[, ?...]) bound to the time text, then each modifier.
  static Expression<std::optional<std::string>> date(const std::string& timeText,
                                                     const Modifiers& modifiers = {});
  static Expression<std::optional<std::string>> time(const std::string& timeText,
                                                     const Modifiers& modifiers = {});
  static Expression<std::optional<std::string>> datetime(const std::string& timeText,
                                                         const Modifiers& modifiers = {});
  static Expression<std::optional<double>> julianday(const std::string& timeText,
                                                     const Modifiers& modifiers = {});
  // strftime(?, ?[, ?...]) bound to the format, the time text, then each modifier.
  static Expression<std::optional<std::string>> strftime(const std::string& format,
                                                         const std::string& timeText,
                                                         const Modifiers& modifiers = {});

  // The same with a date, bound as its stored text.
  static Expression<std::optional<std::string>> date(Date date);
  static Expression<std::optional<std::string>> time(Date date);
  static Expression<std::optional<std::string>> datetime(Date date);
  static Expression<std::optional<double>> julianday(Date date);
};

// date(t), time(t), datetime(t), julianday(t) of a date expression, bindings unchanged.
template <class T>
Expression<std::optional<std::string>> date(const Expression<T>& operand) {
  return wrap<std::optional<std::string>>("date", operand.expression());
}

template <class T>
Expression<std::optional<std::string>> time(const Expression<T>& operand) {
  return wrap<std::optional<std::string>>("time", operand.expression());
}

template <class T>
Expression<std::optional<std::string>> datetime(const Expression<T>& operand) {
  return wrap<std::optional<std::string>>("datetime", operand.expression());
}

template <class T>
Expression<std::optional<double>> julianday(const Expression<T>& operand) {
  return wrap<std::optional<double>>("julianday", operand.expression());
}

}  // namespace sql
