#include "SQLite/DateFormatter.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono;

sql::Date instant(int y, unsigned mo, unsigned d, int h, int mi, int s, int ms) {
  return sys_days{year{y} / month{mo} / day{d}} + hours{h} + minutes{mi} + seconds{s} + milliseconds{ms};
}

TEST(DateFormatter, WritesUtcTextWithMillisecondsAndNoZone) {
  const sql::DateFormatter formatter;
  EXPECT_EQ(formatter.string(instant(2024, 3, 5, 14, 7, 9, 250)), "2024-03-05T14:07:09.250");
  EXPECT_EQ(formatter.string(instant(1970, 1, 1, 0, 0, 0, 0)), "1970-01-01T00:00:00.000");
  EXPECT_EQ(formatter.string(instant(1969, 12, 31, 23, 59, 59, 999)), "1969-12-31T23:59:59.999");
  EXPECT_EQ(formatter.string(instant(7, 2, 1, 9, 0, 0, 5)), "0007-02-01T09:00:00.005");
}

TEST(DateFormatter, RoundTripsToTheMillisecond) {
  const sql::DateFormatter formatter;
  for (const auto date : {instant(2024, 2, 29, 23, 59, 59, 1), instant(1900, 1, 1, 0, 0, 0, 999),
                          instant(9999, 12, 31, 23, 59, 59, 999)}) {
    EXPECT_EQ(formatter.date(formatter.string(date)), date);
  }
}

TEST(DateFormatter, ParsesOnlyTheExactStoredShape) {
  const sql::DateFormatter formatter;
  for (const char* text :
       {"", "2024-03-05", "2024-03-05T14:07:09", "2024-03-05T14:07:09.25", "2024-03-05T14:07:09.2500",
        "2024-03-05 14:07:09.250", "2024-03-05T14:07:09.250Z", "2024-02-30T00:00:00.000",
        "2023-02-29T00:00:00.000", "2024-13-01T00:00:00.000", "2024-00-01T00:00:00.000",
        "2024-03-05T24:00:00.000", "2024-03-05T14:60:00.000", "2024-03-05T14:07:60.000",
        "2024-03-05T14:07:09.+50", "+024-03-05T14:07:09.250", "2024/03/05T14:07:09.250"}) {
    EXPECT_FALSE(formatter.date(text).has_value()) << text;
  }
  EXPECT_EQ(formatter.date("2024-02-29T00:00:00.000"), instant(2024, 2, 29, 0, 0, 0, 0));
}

TEST(DateFormatter, RefusesToWriteYearsItCannotReadBack) {
  const sql::DateFormatter formatter;
  EXPECT_THROW(formatter.string(instant(10000, 1, 1, 0, 0, 0, 0)), std::out_of_range);
  EXPECT_THROW(formatter.string(instant(-1, 1, 1, 0, 0, 0, 0)), std::out_of_range);
}

struct EpochMilliseconds : sql::DateFormatter {
  std::string string(sql::Date date) const override {
    return std::to_string(date.time_since_epoch().count());
  }
  std::optional<sql::Date> date(std::string_view text) const override {
    return sql::Date{milliseconds{std::stoll(std::string(text))}};
  }
};

TEST(DateFormatter, TheProcessWideFormatterCanBeReplacedAndRestored) {
  sql::setDateFormatter(std::make_shared<EpochMilliseconds>());
  EXPECT_EQ(sql::dateFormatter()->string(instant(1970, 1, 1, 0, 0, 1, 500)), "1500");
  sql::setDateFormatter(nullptr);
  EXPECT_EQ(sql::dateFormatter()->string(instant(1970, 1, 1, 0, 0, 1, 500)), "1970-01-01T00:00:01.500");
}

}  // namespace
