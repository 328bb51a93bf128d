// Opening the store on real files in a temporary home: the schema, the seed, files left by
// earlier or failed starts, and a file that cannot be opened.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Platform/Core/Log.h"
#include "Quellorin/Assistant/DatabaseService.h"
#include "SQLite/Connection.h"
#include "tests/Quellorin/StatementTrace.h"
#include "tests/Quellorin/StoreTestHome.h"

namespace {

using quellorin::Conversation;
using quellorin::DatabaseService;
using quellorin::Job;
using storetest::StoreTestHome;

const std::vector<std::string> kCreateStatements = {
    R"(CREATE TABLE IF NOT EXISTS "prompts" ("id" INTEGER PRIMARY KEY NOT NULL, "prompt" TEXT NOT NULL))",
    R"(CREATE TABLE IF NOT EXISTS "pipelines" ("id" INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, "name" TEXT NOT NULL))",
    R"(CREATE TABLE IF NOT EXISTS "pipeline_prompts" ("order" INTEGER NOT NULL, "pipelineId" INTEGER, )"
    R"("promptId" INTEGER NOT NULL, FOREIGN KEY ("pipelineId") REFERENCES "pipelines" ("id") ON DELETE SET NULL, )"
    R"(FOREIGN KEY ("promptId") REFERENCES "prompts" ("id") ON DELETE CASCADE))",
    R"(CREATE TABLE IF NOT EXISTS "conversations" ("id" INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, )"
    R"("pipelineId" INTEGER, "name" TEXT NOT NULL, FOREIGN KEY ("pipelineId") REFERENCES "pipelines" ("id") )"
    R"(ON DELETE SET NULL))",
    // The virtual clock starts at 2026-01-01 00:00:00 UTC.
    R"(CREATE TABLE IF NOT EXISTS "jobs" ("id" INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, "content" TEXT NOT NULL, )"
    R"("prompt" TEXT NOT NULL, "result" TEXT NOT NULL, "executedAt" TEXT NOT NULL DEFAULT ('2026-01-01T00:00:00.000'), )"
    R"("conversationId" INTEGER NOT NULL, FOREIGN KEY ("conversationId") REFERENCES "conversations" ("id") ON DELETE )"
    R"(CASCADE))",
};

const std::string kInsertPipeline = R"(INSERT INTO "pipelines" ("name") VALUES (?))";
const std::string kFindPrompt = R"(SELECT * FROM "prompts" WHERE ("prompt" = ?) LIMIT 1)";
const std::string kInsertPrompt = R"(INSERT INTO "prompts" ("prompt") VALUES (?))";
const std::string kInsertLink =
    R"(INSERT INTO "pipeline_prompts" ("order", "pipelineId", "promptId") VALUES (?, ?, ?))";

void expectSeeded(const StoreTestHome& home) {
  EXPECT_EQ(home.rows("prompts", storetest::promptColumns()), storetest::kSeededPrompts);
  EXPECT_EQ(home.rows("pipelines", storetest::pipelineColumns()), storetest::kSeededPipelines);
  EXPECT_EQ(home.rows("pipeline_prompts", storetest::linkColumns()), storetest::kSeededLinks);
  EXPECT_EQ(home.count("conversations"), 0);
  EXPECT_EQ(home.count("jobs"), 0);
  EXPECT_EQ(home.text("PRAGMA integrity_check"), "ok");
}

std::string storeTables(const StoreTestHome& home) {
  return home.text(
      "SELECT group_concat(name, ',') FROM (SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT "
      "LIKE "
      "'sqlite_%' ORDER BY name)");
}

void makeFile(const StoreTestHome& home, const std::string& script) {
  std::filesystem::create_directories(home.documents());
  sql::Connection::open(home.databaseFile().string())->execute(script);
}

TEST(DatabaseServiceIntegration, FreshFileHoldsTheFiveTablesAndExactlyTheSeedWithoutPrinting) {
  StoreTestHome home;
  platform::LogCapture log;
  {
    DatabaseService store;
    ASSERT_NE(store.db(), nullptr);
    EXPECT_TRUE(store.db()->foreignKeys());
  }
  EXPECT_EQ(log.text(), "");
  EXPECT_EQ(storeTables(home), "conversations,jobs,pipeline_prompts,pipelines,prompts");
  expectSeeded(home);
  EXPECT_EQ(home.text("PRAGMA user_version"), "1");
}

TEST(DatabaseServiceIntegration, OpeningRunsTheStoresOwnStatementsAndSeedsInOneTransaction) {
  StoreTestHome home;
  storetest::StatementTrace trace;
  DatabaseService store;

  // The version mark is read first: a file from a newer version is closed before anything runs.
  std::vector<std::string> expected = {"PRAGMA user_version", "PRAGMA foreign_keys = 1",
                                       "BEGIN IMMEDIATE TRANSACTION"};
  expected.insert(expected.end(), kCreateStatements.begin(), kCreateStatements.end());
  expected.insert(expected.end(), {"PRAGMA user_version", R"(SELECT * FROM "pipelines" LIMIT 1)",
                                   R"(SELECT * FROM "prompts" LIMIT 1)"});
  const std::vector<std::vector<std::string>> seed = {{"Translate text"},
                                                      {"Smooth wording", "Structure", "Add emojis"},
                                                      {"Identify roles and steps", "Generate flowchart"}};
  for (const auto& prompts : seed) {
    expected.push_back(kInsertPipeline);
    for (std::size_t i = 0; i < prompts.size(); ++i)
      expected.insert(expected.end(), {kFindPrompt, kInsertPrompt, kInsertLink});
  }
  expected.insert(expected.end(), {"PRAGMA user_version = 1", "PRAGMA user_version", "COMMIT TRANSACTION"});
  EXPECT_EQ(trace.statements(), expected);
}

TEST(DatabaseServiceIntegration, ExistingFileIsUsedAsItIsAndDeletedDefaultsStayDeleted) {
  StoreTestHome home;
  std::string schemaBefore;
  {
    DatabaseService store;
    ASSERT_TRUE(store.deletePipeline(1));
    ASSERT_TRUE(store.updatePipeline(2, "Mine"));
    schemaBefore = home.text("SELECT group_concat(sql, ';') FROM sqlite_master");
  }
  home.environment().advance(3600);  // a later start builds its jobs statement at another instant
  platform::LogCapture log;
  DatabaseService reopened;
  EXPECT_EQ(log.text(), "");
  EXPECT_EQ(home.rows("pipelines", storetest::pipelineColumns()), "2|Mine;3|Identify tasks");
  EXPECT_EQ(home.rows("prompts", storetest::promptColumns()), storetest::kSeededPrompts);
  EXPECT_EQ(home.rows("pipeline_prompts", storetest::linkColumns()), "0|2|2;1|2|3;2|2|4;0|3|5;1|3|6");
  EXPECT_EQ(home.text("SELECT group_concat(sql, ';') FROM sqlite_master"), schemaBefore);

  // Even with every pipeline gone, the prompts left show the file was seeded once.
  ASSERT_TRUE(reopened.deletePipeline(2));
  ASSERT_TRUE(reopened.deletePipeline(3));
  DatabaseService third;
  EXPECT_EQ(home.count("pipelines"), 0);
}

TEST(DatabaseServiceIntegration, FileSeededByAnEarlierStoreWithoutTheMarkIsNotSeededAgain) {
  StoreTestHome home;
  { DatabaseService store; }
  // What an earlier store left: its tables, the user's own pipeline, no mark.
  auto raw = sql::Connection::open(home.databaseFile().string());
  raw->execute(
      "DELETE FROM pipeline_prompts; DELETE FROM pipelines; INSERT INTO pipelines (name) VALUES ('Own'); "
      "PRAGMA user_version = 0;");
  raw.reset();

  DatabaseService reopened;
  EXPECT_EQ(home.rows("pipelines", storetest::pipelineColumns()), "4|Own");
  EXPECT_EQ(home.count("pipeline_prompts"), 0);
  EXPECT_EQ(home.text("PRAGMA user_version"), "1");
}

TEST(DatabaseServiceIntegration, EmptyFileLeftByAFailedStartIsCompleted) {
  StoreTestHome home;
  std::filesystem::create_directories(home.documents());
  std::ofstream(home.databaseFile()).close();
  ASSERT_EQ(std::filesystem::file_size(home.databaseFile()), 0U);

  platform::LogCapture log;
  DatabaseService store;
  EXPECT_EQ(log.text(), "");
  EXPECT_EQ(storeTables(home), "conversations,jobs,pipeline_prompts,pipelines,prompts");
  expectSeeded(home);
}

TEST(DatabaseServiceIntegration, MissingTablesAreCreatedAndAnUnfinishedSeedIsRedone) {
  StoreTestHome home;
  // A start that made two tables and died: no mark, no rows.
  makeFile(
      home,
      R"(CREATE TABLE "prompts" ("id" INTEGER PRIMARY KEY NOT NULL, "prompt" TEXT NOT NULL);)"
      R"(CREATE TABLE "pipelines" ("id" INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, "name" TEXT NOT NULL);)");
  DatabaseService store;
  EXPECT_EQ(storeTables(home), "conversations,jobs,pipeline_prompts,pipelines,prompts");
  expectSeeded(home);
}

TEST(DatabaseServiceIntegration, FailedCreateIsReportedOnceAndSchemaAndSeedAreRolledBackUntilTheNextStart) {
  StoreTestHome home;
  // An index holding the name of the third table makes its CREATE fail.
  makeFile(home, R"(CREATE TABLE "prompts" ("id" INTEGER PRIMARY KEY NOT NULL, "prompt" TEXT NOT NULL);)"
                 R"(CREATE INDEX "pipeline_prompts" ON "prompts" ("prompt");)");
  {
    platform::LogCapture log;
    DatabaseService store;
    EXPECT_EQ(log.text(), "创建表失败：there is already an index named pipeline_prompts (code: 1)\n");
    EXPECT_EQ(storeTables(home), "prompts");
    EXPECT_EQ(home.count("prompts"), 0);
    EXPECT_EQ(home.text("PRAGMA user_version"), "0");
  }
  sql::Connection::open(home.databaseFile().string())->execute(R"(DROP INDEX "pipeline_prompts")");
  platform::LogCapture log;
  DatabaseService repaired;
  EXPECT_EQ(log.text(), "");
  expectSeeded(home);
}

TEST(DatabaseServiceIntegration, ForeignKeysActOnTheStoresConnection) {
  StoreTestHome home;
  DatabaseService store;
  const auto conversation = store.createConversation("Run", 2);
  ASSERT_TRUE(conversation && conversation->id);
  store.saveJob(Job{std::nullopt, "text", "prompt", "answer", {}, *conversation->id});
  ASSERT_EQ(home.count("jobs"), 1);

  // SET NULL: the conversation outlives its pipeline without a dangling id.
  ASSERT_TRUE(store.deletePipeline(2));
  EXPECT_EQ(home.text("SELECT ifnull(pipelineId, 'NULL') FROM conversations"), "NULL");
  // CASCADE: deleting a conversation takes its jobs.
  store.db()->run(R"(DELETE FROM "conversations")");
  EXPECT_EQ(home.count("jobs"), 0);
  // A job for a conversation that does not exist is refused, not stored.
  platform::LogCapture log;
  store.saveJob(Job{std::nullopt, "text", "prompt", "answer", {}, 999});
  EXPECT_EQ(log.text(), "插入数据失败：FOREIGN KEY constraint failed (code: 19)\n");
  EXPECT_EQ(home.count("jobs"), 0);
}

TEST(DatabaseServiceIntegration, UnopenableFilePrintsOneLineAndEveryOperationTakesItsNoConnectionPath) {
  StoreTestHome home;
  // Documents is a plain file, so nothing can be created beneath it.
  std::ofstream(home.documents()).close();
  platform::LogCapture log;
  DatabaseService store;
  EXPECT_EQ(store.db(), nullptr);
  EXPECT_EQ(log.text(), "数据库连接失败：unable to open database file (code: 14)\n");

  EXPECT_TRUE(store.getPipelines().empty());
  EXPECT_FALSE(store.getPipelinePrompts(1));
  EXPECT_FALSE(store.updatePipeline(1, "x"));
  EXPECT_FALSE(store.deletePipeline(1));
  EXPECT_FALSE(store.insertPipeline("x"));
  EXPECT_FALSE(store.getOrInsertPrompt("x"));
  store.insertPipelinePrompt(0, 1, 1);
  EXPECT_FALSE(store.createConversation("x", std::nullopt));
  store.saveJob(Job{std::nullopt, "c", "p", "r", {}, 1});
  store.createPipeline(Conversation{1, "x", std::nullopt, {}});
  store.createPipeline(std::nullopt);
  store.createTables();
  store.seedDefaultPipelines();
  EXPECT_EQ(log.text(),
            "数据库连接失败：unable to open database file (code: 14)\n"
            "getPipelinePrompts 未找到对应的 pipeline\n"
            "updatePipeline 未找到对应的 pipeline\n"
            "错误：未能创建 pipeline\n"
            "错误：会话为空\n");
  EXPECT_TRUE(std::filesystem::is_regular_file(home.documents()));
}

// A file from a newer version keeps its own schema and rows: nothing is created, seeded or
// marked, and the store works without a connection.
TEST(DatabaseServiceIntegration, AFileFromANewerVersionIsRefusedAndLeftUntouched) {
  for (const int version : {2, 99}) {
    SCOPED_TRACE(version);
    StoreTestHome home;
    makeFile(home, R"(CREATE TABLE "prompts_v2" ("id" INTEGER PRIMARY KEY, "body" TEXT);)"
                   R"(INSERT INTO "prompts_v2" ("body") VALUES ('kept');)"
                   "PRAGMA user_version = " +
                       std::to_string(version) + ";");
    const std::string schemaBefore = home.text("SELECT group_concat(sql, ';') FROM sqlite_master");
    const auto sizeBefore = std::filesystem::file_size(home.databaseFile());
    const auto writtenBefore = std::filesystem::last_write_time(home.databaseFile());

    platform::LogCapture log;
    DatabaseService store;
    EXPECT_EQ(store.db(), nullptr);
    EXPECT_EQ(log.text(), "数据库连接失败：" + home.databaseFile().string() +
                              " was written by a newer version of Quellorin (user_version " +
                              std::to_string(version) +
                              ", this version knows up to 1); it is left untouched\n");
    EXPECT_TRUE(store.getPipelines().empty());
    EXPECT_FALSE(store.insertPipeline("x"));
    store.createTables();
    store.seedDefaultPipelines();

    EXPECT_EQ(home.text("SELECT group_concat(sql, ';') FROM sqlite_master"), schemaBefore);
    EXPECT_EQ(home.text("PRAGMA user_version"), std::to_string(version));
    EXPECT_EQ(home.text(R"(SELECT "body" FROM "prompts_v2")"), "kept");
    EXPECT_EQ(std::filesystem::file_size(home.databaseFile()), sizeBefore);
    EXPECT_EQ(std::filesystem::last_write_time(home.databaseFile()), writtenBefore);
  }
}

TEST(DatabaseServiceIntegration, MissingDocumentsFolderIsCreated) {
  StoreTestHome home;
  ASSERT_FALSE(std::filesystem::exists(home.documents()));
  DatabaseService store;
  EXPECT_TRUE(std::filesystem::is_regular_file(home.databaseFile()));
  expectSeeded(home);
}

}  // namespace
