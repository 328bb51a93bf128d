#include "SQLite/Connection.h"
#include "SQLite/Result.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/Thrown.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using sql::Binding;
using sql::Bindings;
using sql::Blob;
using sql::Connection;
using sql::Int64;

std::shared_ptr<Connection> memory() { return Connection::open(sql::Location::inMemory()); }

TEST(Callbacks, TraceSeesBoundValuesWrittenInAndStopsWhenCleared) {
  auto db = memory();
  std::vector<std::string> sent;
  db->setTrace([&](const std::string& sql) { sent.push_back(sql); });
  db->run("SELECT ?, ?, ?", {Int64{1}, std::string("it's"), std::nullopt});
  db->setTrace(nullptr);
  db->run("SELECT 2");
  EXPECT_EQ(sent, (std::vector<std::string>{"SELECT 1, 'it''s', NULL"}));
}

TEST(Callbacks, ReplacingACallbackReleasesTheEarlierOneOnly) {
  auto db = memory();
  auto first = std::make_shared<int>(0);
  std::weak_ptr<int> watch = first;
  int second = 0;
  db->setTrace([first](const std::string&) { ++*first; });
  first.reset();
  db->run("SELECT 1");
  EXPECT_FALSE(watch.expired());
  db->setTrace([&](const std::string&) { ++second; });
  EXPECT_TRUE(watch.expired());
  db->run("SELECT 1");
  EXPECT_EQ(second, 1);
}

TEST(Callbacks, UpdateHookReportsEachRowChange) {
  auto db = memory();
  db->execute("CREATE TABLE t (a)");
  std::vector<std::tuple<Connection::Operation, std::string, std::string, std::int64_t>> changes;
  db->setUpdateHook([&](Connection::Operation op, const std::string& database, const std::string& table,
                        std::int64_t rowid) { changes.emplace_back(op, database, table, rowid); });
  db->run("INSERT INTO t VALUES (1)");
  db->run("UPDATE t SET a = 2");
  db->run("DELETE FROM t WHERE a = 2");
  ASSERT_EQ(changes.size(), 3u);
  EXPECT_EQ(changes[0],
            std::make_tuple(Connection::Operation::insert, std::string("main"), std::string("t"), 1));
  EXPECT_EQ(std::get<0>(changes[1]), Connection::Operation::update);
  EXPECT_EQ(std::get<0>(changes[2]), Connection::Operation::delete_);
  db->setUpdateHook(nullptr);
  db->run("INSERT INTO t VALUES (1)");
  EXPECT_EQ(changes.size(), 3u);
}

TEST(Callbacks, AThrowingCommitHookTurnsTheCommitIntoARollback) {
  auto db = memory();
  db->execute("CREATE TABLE t (a)");
  int rollbacks = 0;
  db->setRollbackHook([&] { ++rollbacks; });
  db->setCommitHook([] { throw std::runtime_error("no"); });
  if (const auto error = testsupport::thrown<sql::Result>([&] { db->run("INSERT INTO t VALUES (1)"); })) {
    EXPECT_EQ(error->code(), 19);
  }
  EXPECT_EQ(rollbacks, 1);
  db->setCommitHook(nullptr);
  EXPECT_EQ(db->scalar("SELECT count(*) FROM t"), Binding(Int64{0}));
}

TEST(CallbacksIntegration, ABusyHandlerThatGivesUpFailsTheWriteAtOnce) {
  testsupport::TemporaryFolder folder{"sqlite-test-"};
  auto holder = Connection::open(folder.file("db"));
  auto blocked = Connection::open(folder.file("db"));
  holder->execute("CREATE TABLE t (a); BEGIN EXCLUSIVE; INSERT INTO t VALUES (1)");
  std::vector<int> tries;
  blocked->setBusyHandler([&](int n) {
    tries.push_back(n);
    return n < 2;
  });
  if (const auto error =
          testsupport::thrown<sql::Result>([&] { blocked->run("INSERT INTO t VALUES (2)"); })) {
    EXPECT_EQ(error->code(), 5);
  }
  EXPECT_EQ(tries, (std::vector<int>{0, 1, 2}));
  blocked->setBusyHandler([](int) -> bool { throw std::runtime_error("x"); });
  EXPECT_THROW(blocked->run("INSERT INTO t VALUES (2)"), sql::Result);
  holder->execute("COMMIT");
  blocked->setBusyHandler(nullptr);
  blocked->run("INSERT INTO t VALUES (2)");
}

TEST(Callbacks, BusyTimeoutIsKeptInSeconds) {
  auto db = memory();
  EXPECT_EQ(db->busyTimeout(), 0);
  db->setBusyTimeout(1.5);
  EXPECT_EQ(db->busyTimeout(), 1.5);
}

TEST(CallbacksDeathTest, ABusyTimeoutBeyondThirtyTwoBitsStopsTheProcess) {
  auto db = memory();
  EXPECT_DEATH(db->setBusyTimeout(3e6), "busy timeout out of range");
}

TEST(CallbacksIntegration, InterruptStopsARunningStatementFromAnotherThread) {
  auto db = memory();
  std::atomic<bool> started = false;
  db->createFunction("started", 0, false, [&](const Bindings&) -> std::optional<Binding> {
    started = true;
    return Int64{1};
  });
  std::thread interrupter([&] {
    while (!started) std::this_thread::yield();
    db->interrupt();
  });
  if (const auto error = testsupport::thrown<sql::Result>([&] {
        db->run(
            "WITH RECURSIVE n(i) AS (SELECT started() UNION ALL SELECT i + 1 FROM n) SELECT count(*) FROM n");
      })) {
    EXPECT_EQ(error->code(), 9);
    EXPECT_EQ(error->message(), "interrupted");
  }
  interrupter.join();
}

TEST(Callbacks, FunctionsReceiveEveryStoredTypeAndReturnOne) {
  auto db = memory();
  db->createFunction("echo", 1, true, [](const Bindings& args) { return args[0]; });
  for (const auto& value :
       {std::optional<Binding>(Int64{-3}), std::optional<Binding>(2.5),
        std::optional<Binding>(std::string("t\xC3\xA9xt")), std::optional<Binding>(Blob({9, 0})),
        std::optional<Binding>(Blob()), std::optional<Binding>()}) {
    EXPECT_EQ(db->scalar("SELECT echo(?)", {value}), value) << sql::describe(value);
  }
  EXPECT_EQ(db->scalar("SELECT typeof(echo(zeroblob(0)))"), Binding(std::string("blob")));
}

TEST(Callbacks, ArgumentCountsSelectTheFunction) {
  auto db = memory();
  db->createFunction("n", std::nullopt, false, [](const Bindings& args) { return Int64(args.size()); });
  db->createFunction("n", 2, false, [](const Bindings&) { return std::string("two"); });
  EXPECT_EQ(db->scalar("SELECT n()"), Binding(Int64{0}));
  EXPECT_EQ(db->scalar("SELECT n(1, 2, 3)"), Binding(Int64{3}));
  EXPECT_EQ(db->scalar("SELECT n(1, 2)"), Binding(std::string("two")));
}

TEST(Callbacks, AThrowingFunctionFailsItsStatementWithTheMessage) {
  auto db = memory();
  db->createFunction("fail", 0, false, [](const Bindings&) -> std::optional<Binding> {
    throw std::invalid_argument("bad input");
  });
  if (const auto error = testsupport::thrown<sql::Result>([&] { db->scalar("SELECT fail()"); })) {
    EXPECT_EQ(error->description(), "bad input (code: 1)");
  }
}

TEST(CallbacksDeathTest, AFunctionTheEngineRefusesStopsTheProcess) {
  auto db = memory();
  EXPECT_DEATH(db->createFunction("f", 1000, false, [](const Bindings&) { return std::optional<Binding>(); }),
               "Error creating function: .* \\(code: 21\\)");
}

TEST(Callbacks, CollationsOrderTextAndReplaceEachOther) {
  auto db = memory();
  db->execute("CREATE TABLE t (a); INSERT INTO t VALUES ('b'), ('A'), ('c'), ('')");
  db->createCollation("REVERSED", [](std::string_view l, std::string_view r) { return r.compare(l); });
  EXPECT_EQ(db->scalar("SELECT group_concat(a, '|') FROM (SELECT a FROM t ORDER BY a COLLATE REVERSED)"),
            Binding(std::string("c|b|A|")));
  db->createCollation("REVERSED", [](std::string_view l, std::string_view r) { return l.compare(r); });
  EXPECT_EQ(db->scalar("SELECT group_concat(a, '|') FROM (SELECT a FROM t ORDER BY a COLLATE REVERSED)"),
            Binding(std::string("|A|b|c")));
  EXPECT_THROW(db->prepare("SELECT 'a' = 'b' COLLATE MISSING"), sql::Result);
}

TEST(Callbacks, AggregatesKeepOneRunningValuePerGroup) {
  auto db = memory();
  db->execute("CREATE TABLE t (g, v); INSERT INTO t VALUES (1, 2), (1, 3), (2, 10)");
  db->createAggregate<Int64>(
      "total", 1, true, 0, [](Int64 sum, const Bindings& args) { return sum + std::get<Int64>(*args[0]); },
      [](const Int64& sum) -> std::optional<Binding> { return sum; });
  EXPECT_EQ(db->prepare("SELECT total(v) FROM t GROUP BY g ORDER BY g")->allRows(),
            (std::vector<Bindings>{{Binding(Int64{5})}, {Binding(Int64{10})}}));
  EXPECT_EQ(db->scalar("SELECT total(v) FROM t WHERE g = 3"), Binding(Int64{0}));
}

TEST(Callbacks, ASharedRunningObjectIsSeenByLaterGroups) {
  auto db = memory();
  db->execute("CREATE TABLE t (g, v); INSERT INTO t VALUES (1, 'a'), (2, 'b')");
  using Shared = std::shared_ptr<std::string>;
  db->createAggregate<Shared>(
      "seen", 1, false, std::make_shared<std::string>(),
      [](Shared text, const Bindings& args) {
        *text += std::get<std::string>(*args[0]);
        return text;
      },
      [](const Shared& text) -> std::optional<Binding> { return *text; });
  EXPECT_EQ(db->prepare("SELECT seen(v) FROM t GROUP BY g ORDER BY g")->allRows(),
            (std::vector<Bindings>{{Binding(std::string("a"))}, {Binding(std::string("ab"))}}));
}

TEST(Callbacks, RegisteringAnAggregateAgainKeepsOnlyTheSecond) {
  auto db = memory();
  auto first = std::make_shared<int>(1);
  std::weak_ptr<int> watch = first;
  db->createAggregate<Int64>(
      "agg", std::nullopt, false, 0, [first](Int64 n, const Bindings&) { return n + *first; },
      [](const Int64& n) -> std::optional<Binding> { return n; });
  first.reset();
  EXPECT_EQ(db->scalar("SELECT agg() FROM (SELECT 1 UNION ALL SELECT 2)"), Binding(Int64{2}));
  db->createAggregate<Int64>(
      "agg", std::nullopt, false, 0, [](Int64 n, const Bindings& args) { return n + Int64(args.size()); },
      [](const Int64& n) -> std::optional<Binding> { return n; });
  EXPECT_TRUE(watch.expired());
  EXPECT_EQ(db->scalar("SELECT agg(1, 2) FROM (SELECT 1 UNION ALL SELECT 2)"), Binding(Int64{4}));
}

TEST(Callbacks, AnAggregateThatThrowsFailsItsStatementAndLeaksNothing) {
  auto db = memory();
  db->execute("CREATE TABLE t (v); INSERT INTO t VALUES (1), (2), (3)");
  db->createAggregate<std::string>(
      "picky", 1, false, std::string(1000, 'x'),
      [](std::string s, const Bindings& args) {
        if (std::get<Int64>(*args[0]) == 3) throw std::runtime_error("three");
        return s;
      },
      [](const std::string& s) -> std::optional<Binding> { return Int64(s.size()); });
  if (const auto error = testsupport::thrown<sql::Result>([&] { db->scalar("SELECT picky(v) FROM t"); })) {
    EXPECT_EQ(error->message(), "three");
  }
  EXPECT_EQ(db->scalar("SELECT picky(v) FROM t WHERE v < 3"), Binding(Int64{1000}));
}

}  // namespace
