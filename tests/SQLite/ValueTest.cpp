#include "SQLite/Value.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <type_traits>

namespace {

using namespace std::chrono;

static_assert(!std::is_same_v<sql::Int, sql::Int64>);
static_assert(sizeof(sql::Int) == 8 && sizeof(sql::Int64) == 8);
static_assert(sql::Value<double> && sql::Value<sql::Int64> && sql::Value<std::string> &&
              sql::Value<sql::Blob>);
static_assert(sql::Value<bool> && sql::Value<sql::Int> && sql::Value<sql::Data> && sql::Value<sql::Date>);
static_assert(sql::Value<sql::UUID> && sql::Value<sql::URL>);
static_assert(!sql::Value<int> && !sql::Value<float> && !sql::Value<const char*>);
static_assert(sql::Number<sql::Int> && sql::Number<double> && !sql::Number<bool> &&
              !sql::Number<std::string>);

TEST(Value, TypeWordsOfTheStoredTypesAndTheWritableOnesOfBoolAndInt) {
  const std::string words[] = {
      sql::ValueTraits<double>::declaredDatatype(),      sql::ValueTraits<sql::Int64>::declaredDatatype(),
      sql::ValueTraits<std::string>::declaredDatatype(), sql::ValueTraits<sql::Blob>::declaredDatatype(),
      sql::ValueTraits<sql::Data>::declaredDatatype(),   sql::ValueTraits<sql::Date>::declaredDatatype(),
      sql::ValueTraits<sql::UUID>::declaredDatatype(),   sql::ValueTraits<sql::URL>::declaredDatatype()};
  EXPECT_THAT(words,
              ::testing::ElementsAre("REAL", "INTEGER", "TEXT", "BLOB", "BLOB", "TEXT", "TEXT", "TEXT"));
  EXPECT_EQ(sql::ValueTraits<bool>::declaredDatatype(), "INTEGER");
  EXPECT_EQ(sql::ValueTraits<sql::Int>::declaredDatatype(), "INTEGER");
  sql::ValueTraits<bool>::setDeclaredDatatype("BOOLEAN");
  EXPECT_EQ(sql::ValueTraits<bool>::declaredDatatype(), "BOOLEAN");
  EXPECT_EQ(sql::ValueTraits<sql::Int>::declaredDatatype(), "INTEGER");
  sql::ValueTraits<sql::Int>::setDeclaredDatatype("INT");
  EXPECT_EQ(sql::ValueTraits<sql::Int>::declaredDatatype(), "INT");
  EXPECT_EQ(sql::ValueTraits<sql::Int64>::declaredDatatype(), "INTEGER");
  sql::ValueTraits<bool>::setDeclaredDatatype("INTEGER");
  sql::ValueTraits<sql::Int>::setDeclaredDatatype("INTEGER");
}

TEST(Value, BoolIsStoredAsZeroOrOneAndAnyNonZeroReadsTrue) {
  EXPECT_EQ(sql::toBinding(false), sql::Binding(sql::Int64{0}));
  EXPECT_EQ(sql::toBinding(true), sql::Binding(sql::Int64{1}));
  EXPECT_FALSE(sql::value<bool>(sql::Int64{0}));
  EXPECT_TRUE(sql::value<bool>(sql::Int64{1}));
  EXPECT_TRUE(sql::value<bool>(sql::Int64{-7}));
  EXPECT_TRUE(sql::value<bool>(sql::Int64{1} << 40));
}

TEST(Value, IntKeepsAllSixtyFourBits) {
  for (sql::Int64 n : {std::numeric_limits<sql::Int64>::min(), sql::Int64{-1}, sql::Int64{0},
                       std::numeric_limits<sql::Int64>::max()}) {
    const auto stored = sql::toBinding(sql::Int{n});
    EXPECT_EQ(std::get<sql::Int64>(stored), n);
    EXPECT_EQ(sql::value<sql::Int>(stored).value, n);
  }
}

TEST(Value, DataAndBlobCopyTheSameBytesBothWays) {
  const sql::Data data{std::byte{0}, std::byte{0x7f}, std::byte{0xff}};
  const auto stored = sql::toBinding(data);
  EXPECT_EQ(std::get<sql::Blob>(stored), sql::Blob({0, 0x7f, 0xff}));
  EXPECT_EQ(sql::value<sql::Data>(stored), data);
  EXPECT_EQ(sql::toBinding(sql::Data{}), sql::Binding(sql::Blob()));
  EXPECT_TRUE(sql::value<sql::Data>(sql::Blob()).empty());
}

TEST(Value, DatesAreStoredAsFormatterText) {
  const sql::Date date =
      sys_days{year{2024} / 3 / 5} + hours{14} + minutes{7} + seconds{9} + milliseconds{250};
  const auto stored = sql::toBinding(date);
  EXPECT_EQ(std::get<std::string>(stored), "2024-03-05T14:07:09.250");
  EXPECT_EQ(sql::value<sql::Date>(stored), date);
  EXPECT_THROW(sql::value<sql::Date>(std::string("yesterday")), std::invalid_argument);
}

TEST(Value, UUIDsAreStoredInUpperCaseCanonicalForm) {
  const auto uuid = sql::UUID::fromString("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
  ASSERT_TRUE(uuid);
  EXPECT_EQ(std::get<std::string>(sql::toBinding(*uuid)), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
  EXPECT_EQ(sql::value<sql::UUID>(std::string("E621E1F8-C36C-495A-93FC-0C247A3E6E5F")), *uuid);
  for (const char* bad : {"", "E621E1F8C36C495A93FC0C247A3E6E5F", "E621E1F8-C36C-495A-93FC-0C247A3E6E5",
                          "G621E1F8-C36C-495A-93FC-0C247A3E6E5F", "E621E1F8-C36C-495A-93FC_0C247A3E6E5F"}) {
    EXPECT_FALSE(sql::UUID::fromString(bad)) << bad;
  }
  EXPECT_THROW(sql::value<sql::UUID>(std::string("nope")), std::invalid_argument);
}

TEST(Value, URLsAreStoredAsTheirText) {
  const auto url = sql::URL::fromString("https://example.com/a%20b?q=1#top");
  ASSERT_TRUE(url);
  EXPECT_EQ(std::get<std::string>(sql::toBinding(*url)), "https://example.com/a%20b?q=1#top");
  EXPECT_EQ(sql::value<sql::URL>(std::string("file:///tmp/x")).absoluteString, "file:///tmp/x");
  for (const char* bad : {"", "has space", "bad%2", "bad%zz", "quote\"mark"})
    EXPECT_FALSE(sql::URL::fromString(bad)) << bad;
}

TEST(Value, OptionalsBindAbsentAsNullAndDescribeWritesEachStoredTypeForPeople) {
  EXPECT_FALSE(sql::toBinding(std::optional<sql::Int64>{}).has_value());
  EXPECT_EQ(sql::toBinding(std::optional<sql::Int>{sql::Int{3}}), sql::Binding(sql::Int64{3}));
  EXPECT_EQ(sql::describe(std::nullopt), "NULL");
  EXPECT_EQ(sql::describe(sql::Binding(sql::Int64{-12})), "-12");
  EXPECT_EQ(sql::describe(sql::Binding(0.5)), "0.5");
  EXPECT_EQ(sql::describe(sql::Binding(std::string("hi"))), "hi");
  EXPECT_EQ(sql::describe(sql::Binding(sql::Blob({1, 171}))), "x'01ab'");
}

using ValueDeathTest = ::testing::Test;

TEST_F(ValueDeathTest, ReadingTheWrongStoredTypeStopsTheProcess) {
  EXPECT_DEATH(sql::value<sql::Int64>(std::string("12")),
               "unexpected stored type for a value of type INTEGER: 12");
  EXPECT_DEATH(sql::valueOfArgument<std::string>(std::nullopt), "unexpected NULL for a value of type TEXT");
  EXPECT_EQ(sql::valueOfArgument<std::string>(sql::Binding(std::string("ok"))), "ok");
}

}  // namespace
