#include "SQLite/Backup.h"
#include "SQLite/Connection.h"
#include "SQLite/Result.h"
#include "tests/support/Thrown.h"

#include <gtest/gtest.h>

namespace {

using sql::Backup;
using sql::Binding;
using sql::Connection;
using sql::Int64;

std::shared_ptr<Connection> filledDatabase() {
  auto db = Connection::open(sql::Location::inMemory());
  db->execute("PRAGMA page_size = 1024; CREATE TABLE t (a)");
  db->transaction([&] {
    for (int i = 0; i < 50; ++i) db->run("INSERT INTO t VALUES (?)", {std::string(500, 'x')});
  });
  return db;
}

TEST(Backup, AllPagesInOneStepCopyEverythingAndFinish) {
  auto source = filledDatabase();
  auto target = Connection::open(sql::Location::inMemory());
  auto backup = source->backup(Backup::DatabaseName::main(), target, Backup::DatabaseName::main());
  backup->step(Backup::Pages::all());
  EXPECT_TRUE(backup->isFinished());
  EXPECT_EQ(backup->remainingPages(), 0);
  EXPECT_EQ(backup->pageCount(), 0);
  EXPECT_EQ(target->scalar("SELECT count(*) FROM t"), Binding(Int64{50}));
}

TEST(Backup, OnePageAtATimeCountsDown) {
  auto source = filledDatabase();
  auto target = Connection::open(sql::Location::inMemory());
  Backup backup(source, Backup::DatabaseName::main(), target, Backup::DatabaseName::main());
  backup.step(Backup::Pages::limited(1));
  const auto total = backup.pageCount();
  ASSERT_GT(total, 3);
  std::vector<std::int32_t> remaining{backup.remainingPages()};
  while (!backup.isFinished()) {
    backup.step(Backup::Pages::limited(1));
    remaining.push_back(backup.remainingPages());
  }
  EXPECT_EQ(remaining.front(), total - 1);
  EXPECT_EQ(remaining.back(), 0);
  EXPECT_EQ(remaining.size(), static_cast<std::size_t>(total));
  for (std::size_t i = 1; i + 1 < remaining.size(); ++i) EXPECT_EQ(remaining[i], remaining[i - 1] - 1);
  backup.step();  // nothing left: does nothing
  backup.finish();
  backup.finish();
  EXPECT_EQ(target->scalar("SELECT count(*) FROM t"), Binding(Int64{50}));
}

TEST(Backup, TemporaryAndAttachedDatabasesByName) {
  auto source = Connection::open(sql::Location::inMemory());
  source->execute("CREATE TEMP TABLE scratch (a); INSERT INTO scratch VALUES (7)");
  auto target = Connection::open(sql::Location::inMemory());
  target->attach(sql::Location::inMemory(), "copy");
  source->backup(Backup::DatabaseName::temp(), target, Backup::DatabaseName::attached("copy"))->step();
  EXPECT_EQ(target->scalar("SELECT a FROM copy.scratch"), Binding(Int64{7}));
}

TEST(Backup, ARefusedBackupRaisesTheTargetError) {
  auto source = filledDatabase();
  auto target = Connection::open(sql::Location::inMemory());
  if (const auto error = testsupport::thrown<sql::Result>([&] {
        source->backup(Backup::DatabaseName::attached("nowhere"), target, Backup::DatabaseName::main());
      })) {
    EXPECT_EQ(error->description(), "unknown database nowhere (code: 1)");
  }
}

TEST(Backup, ReleasingAnUnfinishedBackupFinishesIt) {
  auto source = filledDatabase();
  auto target = Connection::open(sql::Location::inMemory());
  {
    auto backup = source->backup(Backup::DatabaseName::main(), target, Backup::DatabaseName::main());
    backup->step(Backup::Pages::limited(1));
  }
  target->execute("CREATE TABLE other (b)");  // the target is free again
  EXPECT_EQ(target->scalar("SELECT count(*) FROM sqlite_schema WHERE name = 'other'"), Binding(Int64{1}));
}

}  // namespace
