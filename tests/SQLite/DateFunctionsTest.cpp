#include "SQLite/Query/DateFunctions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace sql {
namespace {

std::optional<Binding> text(const char* value) { return Binding(std::string(value)); }

TEST(DateFunctionsTest, TimeTextAndModifiersAreBound) {
  auto today = DateFunctions::date("now");
  EXPECT_EQ(today.template_(), "date(?)");
  EXPECT_EQ(today.bindings(), (Bindings{text("now")}));

  auto tomorrow = DateFunctions::datetime("now", {"+1 day", "localtime"});
  EXPECT_EQ(tomorrow.template_(), "datetime(?, ?, ?)");
  EXPECT_EQ(tomorrow.bindings(), (Bindings{text("now"), text("+1 day"), text("localtime")}));

  EXPECT_EQ(DateFunctions::time("12:00", {"+1 hour"}).template_(), "time(?, ?)");
  EXPECT_EQ(DateFunctions::julianday("now").template_(), "julianday(?)");
}

TEST(DateFunctionsTest, StrftimeBindsTheFormatFirst) {
  auto year = DateFunctions::strftime("%Y", "now");
  EXPECT_EQ(year.template_(), "strftime(?, ?)");
  EXPECT_EQ(year.bindings(), (Bindings{text("%Y"), text("now")}));
  EXPECT_EQ(DateFunctions::strftime("%Y", "now", {"utc"}).template_(), "strftime(?, ?, ?)");
}

TEST(DateFunctionsTest, ADateIsBoundAsItsStoredText) {
  const Date moment{std::chrono::milliseconds{1709647629250}};
  auto call = DateFunctions::date(moment);
  EXPECT_EQ(call.template_(), "date(?)");
  EXPECT_EQ(call.bindings(), (Bindings{text("2024-03-05T14:07:09.250")}));
  EXPECT_EQ(DateFunctions::julianday(moment).asSQL(), "julianday('2024-03-05T14:07:09.250')");
}

TEST(DateFunctionsTest, FunctionsOfAColumn) {
  Expression<Date> executedAt("executedAt");
  EXPECT_EQ(datetime(executedAt).template_(), "datetime(\"executedAt\")");
  EXPECT_EQ(julianday(Expression<std::string>("col")).template_(), "julianday(\"col\")");
  EXPECT_EQ(date(executedAt).template_(), "date(\"executedAt\")");
  EXPECT_EQ(time(executedAt).template_(), "time(\"executedAt\")");
}

}  // namespace
}  // namespace sql
