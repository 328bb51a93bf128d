#include "SQLite/Connection.h"
#include "SQLite/Result.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

namespace {

using sql::Connection;
using sql::Location;
using sql::URIQueryParameter;

TEST(ConnectionIntegration, APlainPathReachesTheEngineAndAMissingFileIsCreated) {
  testsupport::TemporaryFolder folder{"sqlite-test-"};
  const auto path = folder.file("db.sqlite3");
  auto db = Connection::open(path);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(db->description(), path);
  EXPECT_FALSE(db->readonly());
}

TEST(ConnectionIntegration, AReadOnlyOpenOfAMissingFileRaisesTheEngineError) {
  testsupport::TemporaryFolder folder{"sqlite-test-"};
  try {
    Connection::open(folder.file("missing.db"), true);
    FAIL() << "opened";
  } catch (const sql::Result& error) {
    EXPECT_EQ(error.kind(), sql::Result::Kind::error);
    EXPECT_EQ(error.code(), 14);
    EXPECT_EQ(error.message(), "unable to open database file");
  }
  EXPECT_FALSE(std::filesystem::exists(folder.file("missing.db")));
}

TEST(ConnectionIntegration, AReadOnlyOpenRefusesWrites) {
  testsupport::TemporaryFolder folder{"sqlite-test-"};
  const auto path = folder.file("db.sqlite3");
  Connection::open(path)->execute("CREATE TABLE t (a)");
  auto db = Connection::open(path, true);
  EXPECT_TRUE(db->readonly());
  try {
    db->run("INSERT INTO t VALUES (1)");
    FAIL() << "wrote";
  } catch (const sql::Result& error) {
    EXPECT_EQ(error.description(), "attempt to write a readonly database (code: 8)");
  }
}

TEST(ConnectionIntegration, MemoryAndTemporaryDatabasesHaveNoFileName) {
  auto memory = Connection::open(Location::inMemory());
  auto temporary = Connection::open(Location::temporary());
  EXPECT_EQ(memory->description(), "");
  EXPECT_EQ(temporary->description(), "");
  memory->execute("CREATE TABLE t (a); INSERT INTO t VALUES (1)");
  temporary->execute("CREATE TABLE t (a); INSERT INTO t VALUES (2)");
  EXPECT_EQ(memory->scalar("SELECT a FROM t"), sql::Binding(sql::Int64{1}));
  EXPECT_EQ(temporary->scalar("SELECT a FROM t"), sql::Binding(sql::Int64{2}));
}

TEST(ConnectionIntegration, UriParametersReachTheEngine) {
  testsupport::TemporaryFolder folder{"sqlite-test-"};
  const auto path = folder.file("db.sqlite3");
  Connection::open(path)->execute("CREATE TABLE t (a)");
  auto db =
      Connection::open(Location::uri(path, {URIQueryParameter::mode(URIQueryParameter::FileMode::readOnly)}));
  EXPECT_TRUE(db->readonly());
  EXPECT_THROW(db->execute("INSERT INTO t VALUES (1)"), sql::Result);
}

TEST(ConnectionIntegration, ModeOfGivesANewFileThePermissionsOfTheReference) {
  // Under this umask a new file would get none of the group and other bits the references have.
  struct MaskedCreation {
    MaskedCreation() : previous(::umask(077)) {}
    ~MaskedCreation() { ::umask(previous); }
    mode_t previous;
  } masked;
  for (const mode_t mode : {0644, 0640, 0604}) {
    SCOPED_TRACE(mode);
    testsupport::TemporaryFolder folder{"sqlite-test-"};
    const auto reference = folder.file("reference");
    std::ofstream(reference) << "x";
    ASSERT_EQ(::chmod(reference.c_str(), mode), 0);
    const auto path = folder.file("db.sqlite3");
    Connection::open(Location::uri(path, {URIQueryParameter::modeOf(reference)}))
        ->execute("CREATE TABLE t (a)");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, mode);
  }
}

TEST(ConnectionIntegration, ANonDatabaseFileRaisesInsteadOfCrashing) {
  testsupport::TemporaryFolder folder{"sqlite-test-"};
  const auto path = folder.file("notes.txt");
  std::ofstream(path) << std::string(4096, 'z');
  auto db = Connection::open(path);
  try {
    db->execute("CREATE TABLE t (a)");
    FAIL() << "no error";
  } catch (const sql::Result& error) {
    EXPECT_EQ(error.code(), 26);
    EXPECT_EQ(error.message(), "file is not a database");
  }
  EXPECT_THROW(db->prepare("SELECT * FROM sqlite_schema"), sql::Result);
}

TEST(ConnectionIntegration, ACorruptDatabaseRaisesInsteadOfCrashing) {
  testsupport::TemporaryFolder folder{"sqlite-test-"};
  const auto path = folder.file("db.sqlite3");
  {
    auto db = Connection::open(path);
    db->execute("PRAGMA page_size = 4096; CREATE TABLE t (a TEXT)");
    for (int i = 0; i < 100; ++i) db->run("INSERT INTO t VALUES (?)", {std::string(100, 'a')});
  }
  {
    // Page 2, the root of t, gets a page type that no b-tree page has.
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(4096);
    const std::string garbage(64, '\xff');
    file.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
  }
  auto db = Connection::open(path);
  try {
    db->prepare("SELECT count(*) FROM t")->allRows();
    FAIL() << "no error";
  } catch (const sql::Result& error) {
    EXPECT_EQ(error.code(), 11);
    EXPECT_EQ(error.message(), "database disk image is malformed");
  }
}

TEST(ConnectionIntegration, StatementsKeepTheirConnectionOpen) {
  std::shared_ptr<sql::Statement> statement;
  {
    auto db = Connection::open(Location::inMemory());
    db->execute("CREATE TABLE t (a); INSERT INTO t VALUES (42)");
    statement = db->prepare("SELECT a FROM t");
  }
  EXPECT_EQ(statement->scalar(), sql::Binding(sql::Int64{42}));
}

TEST(ConnectionIntegration, WorkFromManyThreadsIsSerialised) {
  testsupport::TemporaryFolder folder{"sqlite-test-"};
  auto db = Connection::open(folder.file("db.sqlite3"));
  db->execute("CREATE TABLE t (n INTEGER)");
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t) {
    writers.emplace_back([&db, t] {
      for (int i = 0; i < 50; ++i) {
        db->transaction([&] {
          db->run("INSERT INTO t VALUES (?)", {sql::Int64{t * 100 + i}});
          db->run("UPDATE t SET n = n WHERE n = ?", {sql::Int64{t * 100 + i}});
        });
      }
    });
  }
  for (auto& writer : writers) writer.join();
  EXPECT_EQ(db->scalar("SELECT count(*) FROM t"), sql::Binding(sql::Int64{200}));
}

TEST(ConnectionIntegration, SyncRunsNestedWorkInPlaceAndOtherConnectionsInTurn) {
  auto a = Connection::open(Location::inMemory());
  auto b = Connection::open(Location::inMemory());
  const auto inner = a->sync([&] {
    EXPECT_TRUE(a->isCurrent());
    return a->sync([&] { return b->sync([&] { return a->isCurrent() && b->isCurrent(); }); });
  });
  EXPECT_TRUE(inner);
  EXPECT_FALSE(b->isCurrent());
}

}  // namespace
