#include "SQLite/Connection.h"
#include "SQLite/Result.h"
#include "tests/support/Thrown.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

using sql::Binding;
using sql::Int64;

class TransactionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db->execute("CREATE TABLE t (a UNIQUE)");
    db->setTrace([this](const std::string& sql) { sent.push_back(sql); });
  }
  bool inTransaction() const { return sqlite3_get_autocommit(db->handle()) == 0; }
  Binding count() { return *db->scalar("SELECT count(*) FROM t"); }

  std::shared_ptr<sql::Connection> db = sql::Connection::open(sql::Location::inMemory());
  std::vector<std::string> sent;
};

TEST_F(TransactionTest, ATransactionSendsBeginTheBlockThenCommit) {
  db->transaction(sql::Connection::TransactionMode::deferred,
                  [&] { db->run("INSERT INTO t VALUES (?)", {Int64{1}}); });
  EXPECT_EQ(sent, (std::vector<std::string>{"BEGIN DEFERRED TRANSACTION", "INSERT INTO t VALUES (1)",
                                            "COMMIT TRANSACTION"}));
  EXPECT_EQ(count(), Binding(Int64{1}));
}

TEST_F(TransactionTest, EachModeHasItsBeginTextAndVacuumItsStatement) {
  db->transaction(sql::Connection::TransactionMode::immediate, [] {});
  db->transaction(sql::Connection::TransactionMode::exclusive, [] {});
  EXPECT_EQ(sent, (std::vector<std::string>{"BEGIN IMMEDIATE TRANSACTION", "COMMIT TRANSACTION",
                                            "BEGIN EXCLUSIVE TRANSACTION", "COMMIT TRANSACTION"}));
  EXPECT_EQ(sql::Connection::transactionMode("EXCLUSIVE"), sql::Connection::TransactionMode::exclusive);
  EXPECT_FALSE(sql::Connection::transactionMode("exclusive"));
  db->vacuum();
  EXPECT_EQ(sent.back(), "VACUUM");
}

TEST_F(TransactionTest, ABlockThatThrowsIsRolledBackAndItsErrorReachesTheCaller) {
  struct Stop {};
  EXPECT_THROW(db->transaction([&] {
    db->run("INSERT INTO t VALUES (1)");
    throw Stop{};
  }),
               Stop);
  EXPECT_EQ(sent.back(), "ROLLBACK TRANSACTION");
  EXPECT_EQ(count(), Binding(Int64{0}));
  EXPECT_FALSE(inTransaction());
}

TEST_F(TransactionTest, AFailingStatementRollsBackTheWholeGroup) {
  if (const auto error = testsupport::thrown<sql::Result>([&] {
        db->transaction([&] {
          db->run("INSERT INTO t VALUES (1)");
          db->run("INSERT INTO t VALUES (1)");
        });
      })) {
    EXPECT_EQ(error->description(), "UNIQUE constraint failed: t.a (code: 19)");
  }
  EXPECT_EQ(count(), Binding(Int64{0}));
}

TEST_F(TransactionTest, AnErrorThatEndedTheTransactionItselfIsStillTheOneReported) {
  db->execute("CREATE TABLE r (a UNIQUE ON CONFLICT ROLLBACK)");
  if (const auto error = testsupport::thrown<sql::Result>([&] {
        db->transaction([&] {
          db->run("INSERT INTO r VALUES (1)");
          db->run("INSERT INTO r VALUES (1)");  // the engine rolls back the transaction itself
        });
      })) {
    EXPECT_EQ(error->description(), "UNIQUE constraint failed: r.a (code: 19)");
  }
  EXPECT_FALSE(inTransaction());
}

TEST_F(TransactionTest, ABeginThatFailsRunsNothingElse) {
  db->execute("BEGIN");
  bool ran = false;
  EXPECT_THROW(db->transaction([&] { ran = true; }), sql::Result);
  EXPECT_FALSE(ran);
  db->execute("ROLLBACK");
}

TEST_F(TransactionTest, ASavepointQuotesItsNameAndReleasesIt) {
  db->savepoint("o'clock", [&] { db->run("INSERT INTO t VALUES (1)"); });
  EXPECT_EQ(sent, (std::vector<std::string>{"SAVEPOINT 'o''clock'", "INSERT INTO t VALUES (1)",
                                            "RELEASE SAVEPOINT 'o''clock'"}));
  EXPECT_FALSE(inTransaction());
}

TEST_F(TransactionTest, AFailedSavepointRollsBackAndLeavesNothingOpen) {
  struct Stop {};
  EXPECT_THROW(db->savepoint("s",
                             [&] {
                               db->run("INSERT INTO t VALUES (1)");
                               throw Stop{};
                             }),
               Stop);
  EXPECT_EQ(sent, (std::vector<std::string>{"SAVEPOINT 's'", "INSERT INTO t VALUES (1)",
                                            "ROLLBACK TO SAVEPOINT 's'", "RELEASE SAVEPOINT 's'"}));
  EXPECT_FALSE(inTransaction());
  EXPECT_EQ(count(), Binding(Int64{0}));
}

TEST_F(TransactionTest, SavepointsNestInsideATransaction) {
  struct Stop {};
  db->transaction([&] {
    db->run("INSERT INTO t VALUES (1)");
    EXPECT_THROW(db->savepoint("inner",
                               [&] {
                                 db->run("INSERT INTO t VALUES (2)");
                                 throw Stop{};
                               }),
                 Stop);
    EXPECT_TRUE(inTransaction());
    db->savepoint("kept", [&] { db->run("INSERT INTO t VALUES (3)"); });
  });
  EXPECT_EQ(db->scalar("SELECT group_concat(a) FROM t"), Binding(std::string("1,3")));
  EXPECT_FALSE(inTransaction());
}

TEST_F(TransactionTest, AFailingCommitIsRolledBack) {
  db->setCommitHook([] { throw std::runtime_error("veto"); });
  EXPECT_THROW(db->transaction([&] { db->run("INSERT INTO t VALUES (1)"); }), sql::Result);
  EXPECT_FALSE(inTransaction());
  EXPECT_EQ(count(), Binding(Int64{0}));
}

}  // namespace
