#include "SQLite/DateFormatter.h"

#include <atomic>
#include <cstdio>
#include <stdexcept>

namespace sql {
namespace {

using namespace std::chrono;

constexpr std::size_t kStoredLength = 23;  // yyyy-MM-ddTHH:mm:ss.SSS

// Reads `count` decimal digits at `at`; absent when any of them is not a digit.
std::optional<int> digits(std::string_view text, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

bool separatorsInPlace(std::string_view text) {
  return text[4] == '-' && text[7] == '-' && text[10] == 'T' && text[13] == ':' && text[16] == ':' &&
         text[19] == '.';
}

std::shared_ptr<const DateFormatter> makeDefault() { return std::make_shared<DateFormatter>(); }

std::atomic<std::shared_ptr<const DateFormatter>>& current() {
  static std::atomic<std::shared_ptr<const DateFormatter>> formatter{makeDefault()};
  return formatter;
}

}  // namespace

std::string DateFormatter::string(Date date) const {
  const auto day = floor<days>(date);
  const year_month_day ymd{day};
  const int yearNumber = static_cast<int>(ymd.year());
  if (yearNumber < 0 || yearNumber > 9999) throw std::out_of_range("date outside the years 0000 to 9999");
  const hh_mm_ss<milliseconds> time{date - day};
  char text[48];  // room for any int the compiler cannot rule out
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03d", yearNumber,
                static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()), static_cast<int>(time.subseconds().count()));
  return text;
}

std::optional<Date> DateFormatter::date(std::string_view text) const {
  if (text.size() != kStoredLength || !separatorsInPlace(text)) return std::nullopt;
  const auto y = digits(text, 0, 4), mo = digits(text, 5, 2), d = digits(text, 8, 2);
  const auto h = digits(text, 11, 2), mi = digits(text, 14, 2), s = digits(text, 17, 2);
  const auto ms = digits(text, 20, 3);
  if (!y || !mo || !d || !h || !mi || !s || !ms) return std::nullopt;
  const year_month_day ymd{year{*y}, month{static_cast<unsigned>(*mo)}, day{static_cast<unsigned>(*d)}};
  if (!ymd.ok() || *h > 23 || *mi > 59 || *s > 59) return std::nullopt;
  return sys_days{ymd} + hours{*h} + minutes{*mi} + seconds{*s} + milliseconds{*ms};
}

std::shared_ptr<const DateFormatter> dateFormatter() { return current().load(); }

void setDateFormatter(std::shared_ptr<const DateFormatter> formatter) {
  current().store(formatter ? std::move(formatter) : makeDefault());
}

}  // namespace sql
