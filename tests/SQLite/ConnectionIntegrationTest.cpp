#include "SQLite/Connection.h"
#include "SQLite/Result.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/Thrown.h"

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
using testsupport::thrown;

class ConnectionIntegration : public ::testing::Test {
 protected:
  testsupport::TemporaryFolder folder{"sqlite-test-"};
  const std::string path = folder.file("db.sqlite3");
};

TEST_F(ConnectionIntegration, APlainPathIsCreatedAndAReadOnlyOpenNeitherCreatesNorWrites) {
  auto db = Connection::open(path);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(db->description(), path);
  EXPECT_FALSE(db->readonly());
  if (const auto error = thrown<sql::Result>([&] { Connection::open(folder.file("missing.db"), true); })) {
    EXPECT_EQ(error->kind(), sql::Result::Kind::error);
    EXPECT_EQ(error->code(), 14);
    EXPECT_EQ(error->message(), "unable to open database file");
  }
  EXPECT_FALSE(std::filesystem::exists(folder.file("missing.db")));

  db->execute("CREATE TABLE t (a)");
  auto readOnly = Connection::open(path, true);
  EXPECT_TRUE(readOnly->readonly());
  if (const auto error = thrown<sql::Result>([&] { readOnly->run("INSERT INTO t VALUES (1)"); })) {
    EXPECT_EQ(error->description(), "attempt to write a readonly database (code: 8)");
  }
  auto byURI =
      Connection::open(Location::uri(path, {URIQueryParameter::mode(URIQueryParameter::FileMode::readOnly)}));
  EXPECT_TRUE(byURI->readonly());
  EXPECT_THROW(byURI->execute("INSERT INTO t VALUES (1)"), sql::Result);
}

TEST_F(ConnectionIntegration, MemoryAndTemporaryDatabasesHaveNoFileName) {
  auto memory = Connection::open(Location::inMemory());
  auto temporary = Connection::open(Location::temporary());
  EXPECT_EQ(memory->description(), "");
  EXPECT_EQ(temporary->description(), "");
  memory->execute("CREATE TABLE t (a); INSERT INTO t VALUES (1)");
  temporary->execute("CREATE TABLE t (a); INSERT INTO t VALUES (2)");
  EXPECT_EQ(memory->scalar("SELECT a FROM t"), sql::Binding(sql::Int64{1}));
  EXPECT_EQ(temporary->scalar("SELECT a FROM t"), sql::Binding(sql::Int64{2}));
}

TEST_F(ConnectionIntegration, ModeOfGivesANewFileThePermissionsOfTheReference) {
  // Under this umask a new file would get none of the group and other bits the references have.
  struct MaskedCreation {
    MaskedCreation() : previous(::umask(077)) {}
    ~MaskedCreation() { ::umask(previous); }
    mode_t previous;
  } masked;
  for (const mode_t mode : {0644, 0640, 0604}) {
    SCOPED_TRACE(mode);
    testsupport::TemporaryFolder each{"sqlite-test-"};
    const auto reference = each.file("reference");
    std::ofstream(reference) << "x";
    ASSERT_EQ(::chmod(reference.c_str(), mode), 0);
    const auto made = each.file("db.sqlite3");
    Connection::open(Location::uri(made, {URIQueryParameter::modeOf(reference)}))
        ->execute("CREATE TABLE t (a)");
    struct stat info {};
    ASSERT_EQ(::stat(made.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, mode);
  }
}

TEST_F(ConnectionIntegration, ANonDatabaseFileRaisesInsteadOfCrashing) {
  std::ofstream(folder.file("notes.txt")) << std::string(4096, 'z');
  auto db = Connection::open(folder.file("notes.txt"));
  if (const auto error = thrown<sql::Result>([&] { db->execute("CREATE TABLE t (a)"); })) {
    EXPECT_EQ(error->code(), 26);
    EXPECT_EQ(error->message(), "file is not a database");
  }
  EXPECT_THROW(db->prepare("SELECT * FROM sqlite_schema"), sql::Result);
}

TEST_F(ConnectionIntegration, ACorruptDatabaseRaisesInsteadOfCrashing) {
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
  if (const auto error = thrown<sql::Result>([&] { db->prepare("SELECT count(*) FROM t")->allRows(); })) {
    EXPECT_EQ(error->code(), 11);
    EXPECT_EQ(error->message(), "database disk image is malformed");
  }
}

TEST_F(ConnectionIntegration, StatementsKeepTheirConnectionOpen) {
  std::shared_ptr<sql::Statement> statement;
  {
    auto db = Connection::open(Location::inMemory());
    db->execute("CREATE TABLE t (a); INSERT INTO t VALUES (42)");
    statement = db->prepare("SELECT a FROM t");
  }
  EXPECT_EQ(statement->scalar(), sql::Binding(sql::Int64{42}));
}

TEST_F(ConnectionIntegration, WorkFromManyThreadsIsSerialised) {
  auto db = Connection::open(path);
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

TEST_F(ConnectionIntegration, SyncRunsNestedWorkInPlaceAndOtherConnectionsInTurn) {
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
