#include "SQLite/Connection.h"
#include "SQLite/Value.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono;

// Every value type goes into a real table and comes back as the same value.
class ValueRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override { db->execute("CREATE TABLE v (x)"); }

  template <sql::Value T>
  T roundTrip(const T& value) {
    db->execute("DELETE FROM v");
    db->prepare("INSERT INTO v VALUES (?)")->run(value);
    return sql::valueOfArgument<T>(db->scalar("SELECT x FROM v"));
  }

  std::shared_ptr<sql::Connection> db = sql::Connection::open(sql::Location::inMemory());
};

TEST_F(ValueRoundTrip, EveryValueTypeComesBackUnchanged) {
  const sql::Date date =
      sys_days{year{2024} / 3 / 5} + hours{14} + minutes{7} + seconds{9} + milliseconds{250};
  EXPECT_EQ(roundTrip(date), date);
  EXPECT_EQ(db->scalar("SELECT x FROM v"), sql::Binding(std::string("2024-03-05T14:07:09.250")));
  EXPECT_EQ(roundTrip(true), true);
  EXPECT_EQ(roundTrip(false), false);
  EXPECT_EQ(roundTrip(sql::Int{-5}).value, -5);
  EXPECT_EQ(roundTrip(sql::Int64{1} << 62), sql::Int64{1} << 62);
  EXPECT_EQ(roundTrip(0.1), 0.1);
  EXPECT_EQ(roundTrip(std::string("\xE4\xB8\xAD")), "\xE4\xB8\xAD");
  EXPECT_EQ(roundTrip(sql::Data{std::byte{0}, std::byte{255}}), (sql::Data{std::byte{0}, std::byte{255}}));
  EXPECT_EQ(roundTrip(sql::Data{}), sql::Data{});
  const auto uuid = *sql::UUID::fromString("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
  EXPECT_EQ(roundTrip(uuid), uuid);
  EXPECT_EQ(db->scalar("SELECT x FROM v"), sql::Binding(std::string("E621E1F8-C36C-495A-93FC-0C247A3E6E5F")));
  const auto url = *sql::URL::fromString("https://example.com/?q=1");
  EXPECT_EQ(roundTrip(url), url);
}

TEST_F(ValueRoundTrip, DatesSortAsTheirTextInTheDatabase) {
  db->prepare("INSERT INTO v VALUES (?)")->run(sql::Date{milliseconds{1}});
  db->prepare("INSERT INTO v VALUES (?)")->run(sql::Date{milliseconds{-1}});
  db->prepare("INSERT INTO v VALUES (?)")->run(sql::Date{hours{24 * 400}});
  const auto rows = db->prepare("SELECT x FROM v ORDER BY x")->allRows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(sql::valueOfArgument<sql::Date>(rows[0][0]), sql::Date{milliseconds{-1}});
  EXPECT_EQ(sql::valueOfArgument<sql::Date>(rows[2][0]), sql::Date{hours{24 * 400}});
}

}  // namespace
