#include "SQLite/Connection.h"
#include "SQLite/QueryError.h"
#include "SQLite/Result.h"
#include "tests/support/Thrown.h"

#include <gtest/gtest.h>

namespace {

TEST(Result, DescriptionsOfBothKindsWithAndWithoutAStatement) {
  EXPECT_EQ(sql::Result(sql::Result::Kind::error, "no such table: t", 1).description(),
            "no such table: t (code: 1)");
  EXPECT_EQ(
      sql::Result(sql::Result::Kind::extendedError, "UNIQUE constraint failed: t.a", 2067).description(),
      "UNIQUE constraint failed: t.a (extended code: 2067)");
  EXPECT_STREQ(sql::Result(sql::Result::Kind::error, "m", -5).what(), "m (code: -5)");
  auto db = sql::Connection::open(sql::Location::inMemory());
  auto statement = db->prepare("SELECT 1");
  EXPECT_EQ(sql::Result(sql::Result::Kind::error, "boom", 1, statement).description(),
            "boom (SELECT 1) (code: 1)");
  EXPECT_EQ(sql::Result(sql::Result::Kind::extendedError, "boom", 2067, statement).description(),
            "boom (SELECT 1) (extended code: 2067)");
}

TEST(Result, SuccessCodesMakeNoError) {
  auto db = sql::Connection::open(sql::Location::inMemory());
  for (int code : {0, 100, 101}) EXPECT_FALSE(sql::Result::make(code, *db)) << code;
  const auto failure = sql::Result::make(1, *db);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->kind(), sql::Result::Kind::error);
  EXPECT_EQ(failure->code(), 1);
}

TEST(Result, EngineErrorsCarryTheEngineMessageAndCode) {
  auto db = sql::Connection::open(sql::Location::inMemory());
  if (const auto error = testsupport::thrown<sql::Result>([&] { db->run("SELECT * FROM missing"); })) {
    EXPECT_EQ(error->kind(), sql::Result::Kind::error);
    EXPECT_EQ(error->code(), 1);
    EXPECT_EQ(error->description(), "no such table: missing (code: 1)");
  }
}

TEST(Result, ExtendedCodesReportTheUniqueConstraint) {
  auto db = sql::Connection::open(sql::Location::inMemory());
  db->execute("CREATE TABLE t (a UNIQUE); INSERT INTO t VALUES (1)");
  if (const auto error = testsupport::thrown<sql::Result>([&] { db->run("INSERT INTO t VALUES (1)"); })) {
    EXPECT_EQ(error->description(), "UNIQUE constraint failed: t.a (code: 19)");
  }
  db->setUsesExtendedErrorCodes(true);
  EXPECT_TRUE(db->usesExtendedErrorCodes());
  if (const auto error = testsupport::thrown<sql::Result>([&] { db->run("INSERT INTO t VALUES (1)"); })) {
    EXPECT_EQ(error->kind(), sql::Result::Kind::extendedError);
    EXPECT_EQ(error->code(), 2067);
    EXPECT_EQ(error->description(), "UNIQUE constraint failed: t.a (extended code: 2067)");
  }
}

TEST(QueryError, Descriptions) {
  EXPECT_EQ(sql::QueryError::noSuchTable("t").description(), "No such table: t");
  EXPECT_EQ(sql::QueryError::noSuchColumn("x", {"\"a\"", "\"b\\c\""}).description(),
            "No such column `x` in columns [\"\\\"a\\\"\", \"\\\"b\\\\c\\\"\"]");
  EXPECT_EQ(sql::QueryError::noSuchColumn("x", {}).description(), "No such column `x` in columns []");
  EXPECT_EQ(
      sql::QueryError::ambiguousColumn("id", {"\"a\".\"id\"", "\"b\".\"id\""}).description(),
      "Ambiguous column `id` (please disambiguate: [\"\\\"a\\\".\\\"id\\\"\", \"\\\"b\\\".\\\"id\\\"\"])");
  EXPECT_EQ(sql::QueryError::unexpectedNullValue("name").description(),
            "Unexpected null value for column `name`");
  EXPECT_STREQ(sql::QueryError::noSuchTable("t").what(), "No such table: t");
}

}  // namespace
