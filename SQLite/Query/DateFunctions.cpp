#include "SQLite/Query/DateFunctions.h"

#include "SQLite/Value.h"

namespace sql {

namespace {

// name(?, ?, ...) with one mark per text, each text bound in order.
template <class R>
Expression<R> dateFunctionCall(std::string_view name, std::vector<std::string> texts) {
  std::string text(name);
  text += '(';
  Bindings bindings;
  bindings.reserve(texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    text += i == 0 ? "?" : ", ?";
    bindings.emplace_back(Binding(std::move(texts[i])));
  }
  text += ')';
  return Expression<R>(std::move(text), std::move(bindings));
}

std::vector<std::string> textsOf(std::vector<std::string> first, const DateFunctions::Modifiers& modifiers) {
  first.insert(first.end(), modifiers.begin(), modifiers.end());
  return first;
}

std::string stored(Date date) { return ValueTraits<Date>::datatypeValue(date); }

}  // namespace

Expression<std::optional<std::string>> DateFunctions::date(const std::string& timeText,
                                                           const Modifiers& modifiers) {
  return dateFunctionCall<std::optional<std::string>>("date", textsOf({timeText}, modifiers));
}

Expression<std::optional<std::string>> DateFunctions::time(const std::string& timeText,
                                                           const Modifiers& modifiers) {
  return dateFunctionCall<std::optional<std::string>>("time", textsOf({timeText}, modifiers));
}

Expression<std::optional<std::string>> DateFunctions::datetime(const std::string& timeText,
                                                               const Modifiers& modifiers) {
  return dateFunctionCall<std::optional<std::string>>("datetime", textsOf({timeText}, modifiers));
}

Expression<std::optional<double>> DateFunctions::julianday(const std::string& timeText,
                                                           const Modifiers& modifiers) {
  return dateFunctionCall<std::optional<double>>("julianday", textsOf({timeText}, modifiers));
}

Expression<std::optional<std::string>> DateFunctions::strftime(const std::string& format,
                                                               const std::string& timeText,
                                                               const Modifiers& modifiers) {
  return dateFunctionCall<std::optional<std::string>>("strftime", textsOf({format, timeText}, modifiers));
}

Expression<std::optional<std::string>> DateFunctions::date(Date date) {
  return DateFunctions::date(stored(date));
}
Expression<std::optional<std::string>> DateFunctions::time(Date date) {
  return DateFunctions::time(stored(date));
}
Expression<std::optional<std::string>> DateFunctions::datetime(Date date) {
  return DateFunctions::datetime(stored(date));
}
Expression<std::optional<double>> DateFunctions::julianday(Date date) {
  return DateFunctions::julianday(stored(date));
}

}  // namespace sql
