#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "Platform/Core/Log.h"
#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "Quellorin/Assistant/DatabaseService.h"
#include "SQLite/Binding.h"
#include "SQLite/Connection.h"
#include "tests/support/ScopedEnvironmentVariable.h"
#include "tests/support/TemporaryFolder.h"

namespace {

// A temporary home for the conversation store: HOME points at a fresh folder (XDG_DOCUMENTS_DIR
// unset, so the store's file is HOME/Documents/db.sqlite3) and a virtual-time environment is
// installed, for the life of the object. Also reads the file back through a connection of its
// own, so that tests check what is stored rather than what the store says.
// /dev/shm when the machine has it, else the temporary folder. For tests that commit thousands of
// times: a killed process loses nothing that reached the kernel, so the file system only decides
// how long each commit waits for the disk.
std::filesystem::path memoryBackedFolder() {
  const std::filesystem::path shm = "/dev/shm";
  return std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
}

class StoreTestHome {
 public:
  // The home is made under `base`.
  explicit StoreTestHome(const std::filesystem::path& base = std::filesystem::temp_directory_path())
      : folder_("quellorin-store-", base) {}

  StoreTestHome(const StoreTestHome&) = delete;
  StoreTestHome& operator=(const StoreTestHome&) = delete;

  std::filesystem::path documents() const { return folder_.path() / "Documents"; }
  std::filesystem::path databaseFile() const { return documents() / "db.sqlite3"; }
  platform::VirtualEnvironment& environment() { return environment_; }

  // Column 0 of the first row of `sql` run on a fresh connection to the store's file, as text
  // ("" for no row or NULL).
  std::string text(const std::string& sql) const {
    auto connection = sql::Connection::open(databaseFile().string());
    auto value = connection->scalar(sql);
    if (!value) return "";
    if (const auto* held = std::get_if<std::string>(&*value)) return *held;
    if (const auto* number = std::get_if<std::int64_t>(&*value)) return std::to_string(*number);
    throw std::runtime_error("unexpected value type for: " + sql);
  }

  // The rows of a table in rowid order, one "a|b|c" per row, rows joined by ";".
  std::string rows(const std::string& table, const std::string& columns) const {
    return text("SELECT group_concat(line, ';') FROM (SELECT " + columns + " AS line FROM \"" + table +
                "\" ORDER BY rowid)");
  }

  std::int64_t count(const std::string& table) const {
    return std::stoll(text("SELECT count(*) FROM \"" + table + "\""));
  }

 private:
  // Declared first: the folder outlives the variables that point into it.
  testsupport::TemporaryFolder folder_;
  testsupport::ScopedEnvironmentVariable home_{"HOME", folder_.path().c_str()};
  testsupport::ScopedEnvironmentVariable documents_{"XDG_DOCUMENTS_DIR", nullptr};
  platform::VirtualEnvironment environment_;
};

// The seeded rows of a new file, as StoreTestHome::rows writes them.
constexpr const char* kSeededPrompts =
    "1|Translate text;2|Smooth wording;3|Structure;4|Add emojis;5|Identify roles and steps;6|Generate "
    "flowchart";
constexpr const char* kSeededPipelines = "1|Translate;2|Optimize expression;3|Identify tasks";
constexpr const char* kSeededLinks = "0|1|1;0|2|2;1|2|3;2|2|4;0|3|5;1|3|6";

std::string promptColumns() { return "id || '|' || prompt"; }
std::string pipelineColumns() { return "id || '|' || name"; }
std::string linkColumns() { return "\"order\" || '|' || ifnull(pipelineId, 'NULL') || '|' || promptId"; }

// Watches every statement the engine starts on connections opened while a StatementTrace
// lives (an auto-extension installs the trace on each new connection, so the store's opening
// is seen too). Each statement's SQL is recorded as written, with its "?" marks, and the
// process can be made to die by SIGKILL as statement number N starts.
class StatementTrace {
 public:
  // `killAtStatement`: the 1-based number of the statement at whose start the process kills
  // itself; 0 never.
  explicit StatementTrace(int killAtStatement = 0) {
    std::lock_guard lock(state().mutex);
    state().statements.clear();
    state().running.clear();
    state().killAt = killAtStatement;
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(&install));
  }
  ~StatementTrace() { sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&install)); }
  StatementTrace(const StatementTrace&) = delete;
  StatementTrace& operator=(const StatementTrace&) = delete;

  // Forgets what was recorded so far.
  void clear() {
    std::lock_guard lock(state().mutex);
    state().statements.clear();
  }

  std::vector<std::string> statements() const {
    std::lock_guard lock(state().mutex);
    return state().statements;
  }

 private:
  struct State {
    std::mutex mutex;
    std::vector<std::string> statements;
    std::set<sqlite3_stmt*> running;
    int killAt = 0;
  };
  static State& state() {
    static State shared;
    return shared;
  }

  static int install(sqlite3* db, char**, const sqlite3_api_routines*) {
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT | SQLITE_TRACE_PROFILE, &traced, nullptr);
    return SQLITE_OK;
  }

  // A foreign-key action runs as part of its statement and is reported as a start of the same
  // statement; the statements between their start and their end are therefore ignored.
  static int traced(unsigned event, void*, void* statement, void*) {
    auto* prepared = static_cast<sqlite3_stmt*>(statement);
    std::lock_guard lock(state().mutex);
    if (event == SQLITE_TRACE_PROFILE) {
      state().running.erase(prepared);
      return 0;
    }
    if (!state().running.insert(prepared).second) return 0;
    state().statements.emplace_back(sqlite3_sql(prepared));
    if (static_cast<int>(state().statements.size()) == state().killAt) std::raise(SIGKILL);
    return 0;
  }
};

// Opening the store on real files in a temporary home: the schema, the seed, files left by
// earlier or failed starts, and a file that cannot be opened.
using quellorin::Conversation;
using quellorin::DatabaseService;
using quellorin::Job;

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
  EXPECT_EQ(home.rows("prompts", promptColumns()), kSeededPrompts);
  EXPECT_EQ(home.rows("pipelines", pipelineColumns()), kSeededPipelines);
  EXPECT_EQ(home.rows("pipeline_prompts", linkColumns()), kSeededLinks);
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

// A new file, an empty one a failed start left, or one with only some of the tables, whose
// seed never ran: each ends with the five tables and exactly the seed, without a line printed.
TEST(DatabaseServiceIntegration, AnyFileWithoutTheSeedGetsTheFiveTablesAndExactlyTheSeedSilently) {
  const struct {
    const char* what;
    std::function<void(const StoreTestHome&)> prepare;
  } cases[] = {
      {"no Documents folder", [](const StoreTestHome&) {}},
      {"an empty file",
       [](const StoreTestHome& home) {
         std::filesystem::create_directories(home.documents());
         std::ofstream(home.databaseFile()).close();
       }},
      {"two of the tables, no mark, no rows",
       [](const StoreTestHome& home) {
         makeFile(home,
                  R"(CREATE TABLE "prompts" ("id" INTEGER PRIMARY KEY NOT NULL, "prompt" TEXT NOT NULL);)"
                  R"(CREATE TABLE "pipelines" ("id" INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, "name" TEXT )"
                  R"(NOT NULL);)");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    StoreTestHome home;
    c.prepare(home);
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
}

TEST(DatabaseServiceIntegration, OpeningRunsTheStoresOwnStatementsAndSeedsInOneTransaction) {
  StoreTestHome home;
  StatementTrace trace;
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
  EXPECT_EQ(home.rows("pipelines", pipelineColumns()), "2|Mine;3|Identify tasks");
  EXPECT_EQ(home.rows("prompts", promptColumns()), kSeededPrompts);
  EXPECT_EQ(home.rows("pipeline_prompts", linkColumns()), "0|2|2;1|2|3;2|2|4;0|3|5;1|3|6");
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
  EXPECT_EQ(home.rows("pipelines", pipelineColumns()), "4|Own");
  EXPECT_EQ(home.count("pipeline_prompts"), 0);
  EXPECT_EQ(home.text("PRAGMA user_version"), "1");
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

// The store's operations on a real, seeded file in a temporary home. What the store returns is
// checked against what a separate connection reads from the file.
using quellorin::Pipeline;

// "id:name[promptId:prompt,...]" for each pipeline, joined by " ".
std::string describe(const std::vector<Pipeline>& pipelines) {
  std::string text;
  for (const auto& pipeline : pipelines) {
    if (!text.empty()) text += " ";
    text += (pipeline.id ? std::to_string(*pipeline.id) : "?") + ":" + pipeline.name + "[";
    for (std::size_t i = 0; i < pipeline.prompts.size(); ++i) {
      const auto& prompt = pipeline.prompts[i];
      if (i > 0) text += ",";
      text += (prompt.id ? std::to_string(*prompt.id) : "?") + ":" + prompt.prompt;
    }
    text += "]";
  }
  return text;
}

std::string describe(const std::optional<Pipeline>& pipeline) {
  return pipeline ? describe(std::vector<Pipeline>{*pipeline}) : "none";
}

Job job(const std::string& prompt, std::int64_t conversationId = 1) {
  return Job{std::nullopt, "content of " + prompt, prompt, "", sql::Date{}, conversationId};
}

// A conversation over a selection: the selected text's job, then one job per step.
Conversation conversation(const std::string& name, const std::vector<std::string>& stepPrompts) {
  Conversation made{7, name, std::nullopt, {job("original")}};
  for (const auto& prompt : stepPrompts) made.jobs.push_back(job(prompt));
  return made;
}

class DatabaseServiceOperationsIntegration : public ::testing::Test {
 protected:
  StoreTestHome home;
  DatabaseService store;

  void rawExecute(const std::string& script) {
    sql::Connection::open(home.databaseFile().string())->execute(script);
  }
};

TEST_F(DatabaseServiceOperationsIntegration, NewFileListsTheDefaultPipelinesInCreationOrderWithTheirPrompts) {
  EXPECT_EQ(describe(store.getPipelines()),
            "1:Translate[1:Translate text] 2:Optimize expression[2:Smooth wording,3:Structure,4:Add emojis] "
            "3:Identify tasks[5:Identify roles and steps,6:Generate flowchart]");
  EXPECT_EQ(describe(store.getPipelinePrompts(2)),
            "2:Optimize expression[2:Smooth wording,3:Structure,4:Add emojis]");
}

TEST_F(DatabaseServiceOperationsIntegration, GetOrInsertPromptMatchesTheTextByteForByte) {
  platform::LogCapture log;
  EXPECT_EQ(store.getOrInsertPrompt("Structure"), 3);
  EXPECT_EQ(home.count("prompts"), 6);
  EXPECT_EQ(store.getOrInsertPrompt("structure"), 7);
  EXPECT_EQ(store.getOrInsertPrompt("Structure "), 8);
  EXPECT_EQ(store.getOrInsertPrompt("Line\nbreak"), 9);
  EXPECT_EQ(store.getOrInsertPrompt(""), 10);
  EXPECT_EQ(store.getOrInsertPrompt(""), 10);
  EXPECT_EQ(store.getOrInsertPrompt("Line\nbreak"), 9);
  EXPECT_EQ(home.rows("prompts", "id || '|' || quote(prompt)"),
            "1|'Translate text';2|'Smooth wording';3|'Structure';4|'Add emojis';5|'Identify roles and steps';"
            "6|'Generate flowchart';7|'structure';8|'Structure ';9|'Line\nbreak';10|''");
  EXPECT_EQ(log.text(), "");
}

TEST_F(DatabaseServiceOperationsIntegration, SavingAConversationLinksEveryStepButTheFirstAtItsPosition) {
  StatementTrace trace;
  DatabaseService traced;
  trace.clear();
  traced.createPipeline(conversation("Polish", {"Fix spelling", "Structure", "Fix spelling"}));
  const auto statements = trace.statements();

  EXPECT_EQ(home.rows("pipelines", pipelineColumns()), std::string(kSeededPipelines) + ";4|Polish");
  // "Structure" is the stored prompt 3; the repeated new text is stored once and linked twice.
  EXPECT_EQ(home.rows("prompts", promptColumns()), std::string(kSeededPrompts) + ";7|Fix spelling");
  EXPECT_EQ(home.text("SELECT group_concat(\"order\" || '|' || promptId, ';') FROM pipeline_prompts WHERE "
                      "pipelineId = 4"),
            "1|7;2|3;3|7");
  EXPECT_EQ(describe(store.getPipelinePrompts(4)), "4:Polish[7:Fix spelling,3:Structure,7:Fix spelling]");
  EXPECT_EQ(describe(store.getPipelines().back()), "4:Polish[7:Fix spelling,3:Structure,7:Fix spelling]");

  const std::vector<std::string> expected = {
      "BEGIN IMMEDIATE TRANSACTION",
      R"(INSERT INTO "pipelines" ("name") VALUES (?))",
      R"(SELECT * FROM "prompts" WHERE ("prompt" = ?) LIMIT 1)",
      R"(INSERT INTO "prompts" ("prompt") VALUES (?))",
      R"(INSERT INTO "pipeline_prompts" ("order", "pipelineId", "promptId") VALUES (?, ?, ?))",
      R"(SELECT * FROM "prompts" WHERE ("prompt" = ?) LIMIT 1)",
      R"(INSERT INTO "pipeline_prompts" ("order", "pipelineId", "promptId") VALUES (?, ?, ?))",
      R"(SELECT * FROM "prompts" WHERE ("prompt" = ?) LIMIT 1)",
      R"(INSERT INTO "pipeline_prompts" ("order", "pipelineId", "promptId") VALUES (?, ?, ?))",
      "COMMIT TRANSACTION",
  };
  EXPECT_EQ(statements, expected);
}

TEST_F(DatabaseServiceOperationsIntegration, ReadsRunTheStoresStatements) {
  StatementTrace trace;
  DatabaseService traced;
  trace.clear();
  traced.getPipelines();
  traced.getPipelinePrompts(3);
  traced.updatePipeline(3, "Tasks");
  traced.deletePipeline(3);
  const auto made = traced.createConversation("Run", std::nullopt);
  ASSERT_TRUE(made);
  traced.saveJob(job("p", *made->id));

  const std::string pipelineLinks = R"(SELECT "promptId" FROM "pipeline_prompts" WHERE ("pipelineId" = ?))";
  const std::string promptById = R"(SELECT * FROM "prompts" WHERE ("id" = ?) LIMIT 1)";
  std::vector<std::string> expected = {R"(SELECT * FROM "pipelines")"};
  for (int links : {1, 3, 2}) {
    expected.push_back(pipelineLinks);
    for (int i = 0; i < links; ++i) expected.push_back(promptById);
  }
  expected.insert(
      expected.end(),
      {
          R"(SELECT * FROM "pipelines" WHERE ("id" = ?) LIMIT 1)",
          R"(SELECT "prompts"."id", "prompts"."prompt" FROM "prompts" INNER JOIN "pipeline_prompts" ON )"
          R"(("prompts"."id" = "pipeline_prompts"."promptId") WHERE ("pipeline_prompts"."pipelineId" = ?) )"
          R"(ORDER BY "pipeline_prompts"."order")",
          R"(UPDATE "pipelines" SET "name" = ? WHERE ("id" = ?))",
          "BEGIN IMMEDIATE TRANSACTION",
          R"(DELETE FROM "pipeline_prompts" WHERE ("pipelineId" = ?))",
          R"(DELETE FROM "pipelines" WHERE ("id" = ?))",
          "COMMIT TRANSACTION",
          R"(INSERT INTO "conversations" ("pipelineId", "name") VALUES (?, ?))",
          R"(INSERT INTO "jobs" ("content", "prompt", "result", "executedAt", "conversationId") VALUES (?, ?, ?, ?, ?))",
      });
  EXPECT_EQ(trace.statements(), expected);
}

TEST_F(DatabaseServiceOperationsIntegration, ConversationOfItsFirstJobOnlyGivesAPipelineWithoutPrompts) {
  store.createPipeline(conversation("Empty", {}));
  EXPECT_EQ(describe(store.getPipelinePrompts(4)), "4:Empty[]");
  EXPECT_EQ(describe(store.getPipelines().back()), "4:Empty[]");
  EXPECT_EQ(home.count("pipeline_prompts"), 6);
}

TEST_F(DatabaseServiceOperationsIntegration, SavingNoConversationPrintsAndWritesNothing) {
  platform::LogCapture log;
  store.createPipeline(std::nullopt);
  EXPECT_EQ(log.text(), "错误：会话为空\n");
  EXPECT_EQ(home.count("pipelines"), 3);
}

TEST_F(DatabaseServiceOperationsIntegration, SavingIsAllOrNothingWhenALinkFails) {
  rawExecute(R"(CREATE TRIGGER refuse BEFORE INSERT ON pipeline_prompts WHEN NEW."order" = 2 )"
             R"(BEGIN SELECT RAISE(ABORT, 'link refused'); END)");
  platform::LogCapture log;
  store.createPipeline(conversation("Half", {"New one", "New two", "New three"}));
  EXPECT_EQ(log.text(), "插入数据失败：link refused (code: 19)\n");
  EXPECT_EQ(home.count("pipelines"), 3);
  EXPECT_EQ(home.count("prompts"), 6);
  EXPECT_EQ(home.count("pipeline_prompts"), 6);
}

TEST_F(DatabaseServiceOperationsIntegration, SavingIsAllOrNothingWhenAPromptFails) {
  rawExecute(R"(CREATE TRIGGER refuse BEFORE INSERT ON prompts WHEN NEW.prompt = 'Bad' )"
             R"(BEGIN SELECT RAISE(ABORT, 'prompt refused'); END)");
  platform::LogCapture log;
  store.createPipeline(conversation("Half", {"Good", "Bad"}));
  EXPECT_EQ(log.text(), "插入或查询数据失败：prompt refused (code: 19)\n错误：未能创建 prompt\n");
  EXPECT_EQ(home.rows("pipelines", pipelineColumns()), kSeededPipelines);
  EXPECT_EQ(home.rows("prompts", promptColumns()), kSeededPrompts);
}

TEST_F(DatabaseServiceOperationsIntegration, RenamingTouchesOnlyThatPipelineAndReportsAMissingOne) {
  store.createPipeline(conversation("Twin", {"A"}));
  store.createPipeline(conversation("Twin", {"B"}));
  platform::LogCapture log;
  EXPECT_TRUE(store.updatePipeline(5, "Renamed"));
  EXPECT_TRUE(store.updatePipeline(4, "Twin"));  // its own name counts as a change
  EXPECT_TRUE(store.updatePipeline(1, ""));
  EXPECT_FALSE(store.updatePipeline(99, "Nobody"));
  EXPECT_EQ(log.text(), "updatePipeline 未找到对应的 pipeline\n");
  EXPECT_EQ(home.rows("pipelines", pipelineColumns()),
            "1|;2|Optimize expression;3|Identify tasks;4|Twin;5|Renamed");
  EXPECT_EQ(describe(store.getPipelinePrompts(5)), "5:Renamed[8:B]");
}

TEST_F(DatabaseServiceOperationsIntegration, DeletingRemovesThePipelineAndItsLinksButKeepsThePrompts) {
  platform::LogCapture log;
  EXPECT_TRUE(store.deletePipeline(2));
  EXPECT_FALSE(store.deletePipeline(2));
  EXPECT_FALSE(store.deletePipeline(42));
  EXPECT_EQ(log.text(), "");
  EXPECT_EQ(home.rows("pipelines", pipelineColumns()), "1|Translate;3|Identify tasks");
  EXPECT_EQ(home.rows("pipeline_prompts", linkColumns()), "0|1|1;0|3|5;1|3|6");
  EXPECT_EQ(home.rows("prompts", promptColumns()), kSeededPrompts);

  EXPECT_FALSE(store.getPipelinePrompts(2));
  EXPECT_EQ(log.text(), "getPipelinePrompts 未找到对应的 pipeline\n");

  store.createPipeline(conversation("Again", {"Add emojis", "Smooth wording"}));
  EXPECT_EQ(describe(store.getPipelinePrompts(4)), "4:Again[4:Add emojis,2:Smooth wording]");
  EXPECT_EQ(home.count("prompts"), 6);
}

TEST_F(DatabaseServiceOperationsIntegration, DeletingIsAllOrNothing) {
  rawExecute("CREATE TRIGGER keep BEFORE DELETE ON pipelines BEGIN SELECT RAISE(ABORT, 'kept'); END");
  platform::LogCapture log;
  EXPECT_FALSE(store.deletePipeline(2));
  EXPECT_EQ(log.text(), "删除相关数据失败：kept (code: 19)\n");
  EXPECT_EQ(home.rows("pipeline_prompts", linkColumns()), kSeededLinks);
}

TEST_F(DatabaseServiceOperationsIntegration, LinkToAMissingPromptIsSkippedByBothReads) {
  rawExecute(R"(INSERT INTO pipeline_prompts ("order", pipelineId, promptId) VALUES (1, 1, 77))");
  platform::LogCapture log;
  EXPECT_EQ(describe(store.getPipelines().front()), "1:Translate[1:Translate text]");
  EXPECT_EQ(describe(store.getPipelinePrompts(1)), "1:Translate[1:Translate text]");
  EXPECT_EQ(log.text(), "");
}

TEST_F(DatabaseServiceOperationsIntegration, PromptOrderFollowsTheLinkNumbersInTheJoinedRead) {
  // Links inserted out of order: the joined read sorts them, the listing keeps insertion order.
  store.insertPipelinePrompt(5, 1, 3);
  store.insertPipelinePrompt(-1, 1, 2);
  EXPECT_EQ(describe(store.getPipelinePrompts(1)),
            "1:Translate[2:Smooth wording,1:Translate text,3:Structure]");
  EXPECT_EQ(describe(store.getPipelines().front()),
            "1:Translate[1:Translate text,3:Structure,2:Smooth wording]");
}

TEST_F(DatabaseServiceOperationsIntegration, ConversationsAndJobsAreWrittenAsGiven) {
  const auto free = store.createConversation("Typed", std::nullopt);
  ASSERT_TRUE(free);
  EXPECT_EQ(free->id, 1);
  EXPECT_EQ(free->name, "Typed");
  EXPECT_FALSE(free->pipelineId);
  EXPECT_TRUE(free->jobs.empty());
  const auto run = store.createConversation("Optimize expression", 2);
  ASSERT_TRUE(run);
  EXPECT_EQ(run->id, 2);
  EXPECT_EQ(run->pipelineId, 2);
  EXPECT_EQ(home.rows("conversations", "id || '|' || ifnull(pipelineId, 'NULL') || '|' || name"),
            "1|NULL|Typed;2|2|Optimize expression");

  const Job answered{5, "text", "Structure", "answer", sql::Date(std::chrono::milliseconds(1767225600123)),
                     2};
  store.saveJob(answered);
  store.saveJob(answered);
  EXPECT_EQ(
      home.rows("jobs",
                "id || '|' || content || '|' || prompt || '|' || result || '|' || executedAt || '|' || "
                "conversationId"),
      "1|text|Structure|answer|2026-01-01T00:00:00.123|2;2|text|Structure|answer|2026-01-01T00:00:00.123|2");
}

TEST_F(DatabaseServiceOperationsIntegration, InsertFailuresArePrintedAndGiveNone) {
  rawExecute(
      "CREATE TRIGGER refuse BEFORE INSERT ON conversations BEGIN SELECT RAISE(ABORT, 'full'); END;"
      "CREATE TRIGGER refusePipeline BEFORE INSERT ON pipelines BEGIN SELECT RAISE(ABORT, 'full'); END;");
  platform::LogCapture log;
  EXPECT_FALSE(store.createConversation("x", std::nullopt));
  EXPECT_FALSE(store.insertPipeline("x"));
  store.insertPipelinePrompt(0, 99, 1);  // no such pipeline: refused by its foreign key
  store.createPipeline(conversation("x", {"y"}));
  EXPECT_EQ(log.text(),
            "插入数据失败：full (code: 19)\n"
            "插入数据失败：full (code: 19)\n"
            "插入数据失败：FOREIGN KEY constraint failed (code: 19)\n"
            "插入数据失败：full (code: 19)\n"
            "错误：未能创建 pipeline\n");
  EXPECT_EQ(home.count("pipeline_prompts"), 6);
}

TEST_F(DatabaseServiceOperationsIntegration, FailedStepWhileListingKeepsThePipelinesReadBeforeIt) {
  // A view in place of the table fails while stepping to its third row.
  rawExecute(R"(ALTER TABLE pipelines RENAME TO pipelines_data;)"
             R"(CREATE VIEW pipelines AS SELECT CASE WHEN id < 3 THEN id ELSE json('x') END AS id, name )"
             R"(FROM pipelines_data ORDER BY rowid;)");
  DatabaseService reopened;
  platform::LogCapture log;
  EXPECT_EQ(describe(reopened.getPipelines()),
            "1:Translate[1:Translate text] 2:Optimize expression[2:Smooth wording,3:Structure,4:Add emojis]");
  EXPECT_EQ(log.text(), "查询数据失败：malformed JSON (code: 1)\n");
}

TEST_F(DatabaseServiceOperationsIntegration, FailedStepInTheJoinedReadGivesNone) {
  rawExecute(
      R"(ALTER TABLE pipeline_prompts RENAME TO links;)"
      R"(CREATE VIEW pipeline_prompts AS SELECT CASE WHEN promptId < 4 THEN "order" ELSE json('x') END )"
      R"(AS "order", pipelineId, promptId FROM links;)");
  DatabaseService reopened;
  platform::LogCapture log;
  EXPECT_FALSE(reopened.getPipelinePrompts(2));
  EXPECT_EQ(log.text(), "查询数据失败：malformed JSON (code: 1)\n");
  EXPECT_EQ(describe(reopened.getPipelinePrompts(1)), "1:Translate[1:Translate text]");
}

TEST_F(DatabaseServiceOperationsIntegration, MissingTableMakesTheFirstReadFail) {
  rawExecute("DROP TABLE pipelines");
  platform::LogCapture log;
  EXPECT_TRUE(store.getPipelines().empty());
  EXPECT_FALSE(store.getPipelinePrompts(1));
  EXPECT_EQ(log.text(),
            "查询数据失败：no such table: pipelines (code: 1)\n"
            "查询数据失败：no such table: pipelines (code: 1)\n");
}

TEST_F(DatabaseServiceOperationsIntegration, OperationsFromSeveralThreadsAtOnceAllLand) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 25;
  const auto run = store.createConversation("Shared", std::nullopt);
  ASSERT_TRUE(run);
  platform::LogCapture log;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        store.saveJob(job("step " + std::to_string(t), *run->id));
        store.createPipeline(
            conversation("From " + std::to_string(t), {"Shared step", "Own " + std::to_string(t)}));
        store.getPipelines();
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(log.text(), "");
  EXPECT_EQ(home.count("jobs"), kThreads * kRounds);
  EXPECT_EQ(home.count("pipelines"), 3 + kThreads * kRounds);
  // Each saved pipeline is whole, and the shared text is one prompt row.
  EXPECT_EQ(home.text("SELECT count(*) FROM prompts WHERE prompt = 'Shared step'"), "1");
  for (const auto& pipeline : store.getPipelines()) {
    if (!pipeline.name.starts_with("From ")) continue;
    ASSERT_EQ(pipeline.prompts.size(), 2U);
    EXPECT_EQ(pipeline.prompts[0].prompt, "Shared step");
    EXPECT_EQ(pipeline.prompts[1].prompt, "Own " + pipeline.name.substr(5));
  }
}

// Writer processes killed with SIGKILL: during the first start's creation and seed, and at
// arbitrary moments of a saveJob / createPipeline loop. The next start must find a sound file.

// Runs `work` in a child process and answers its wait status. The child never returns into
// the test framework.
template <class Work>
int runChild(Work&& work) {
  const pid_t child = ::fork();
  if (child == 0) {
    work();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return status;
}

// The saved pipelines whose links are not exactly the three steps, in order.
constexpr const char* kHalfSavedPipelines =
    "SELECT count(*) FROM pipelines p LEFT JOIN (SELECT pipelineId, group_concat(\"order\" || ':' || "
    "promptId) AS "
    "links "
    "FROM (SELECT * FROM pipeline_prompts ORDER BY rowid) GROUP BY pipelineId) l ON l.pipelineId = p.id "
    "WHERE p.name = 'Saved' AND l.links IS NOT '1:7,2:8,3:9'";

bool killedBySigkill(int status) { return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL; }

TEST(DatabaseServiceCrashIntegration, FirstStartKilledAtAnyStatementIsCompletedByTheNextStart) {
  std::size_t statementsOfAFirstStart = 0;
  {
    StoreTestHome home;
    StatementTrace trace;
    DatabaseService store;
    statementsOfAFirstStart = trace.statements().size();
  }
  ASSERT_GT(statementsOfAFirstStart, 30U);

  // Statement k is killed as it starts: the k - 1 before it have run.
  for (std::size_t k = 1; k <= statementsOfAFirstStart + 1; ++k) {
    SCOPED_TRACE("killed at statement " + std::to_string(k));
    StoreTestHome home(memoryBackedFolder());
    const int status = runChild([k] {
      StatementTrace trace(static_cast<int>(k));
      DatabaseService store;
    });
    if (k <= statementsOfAFirstStart) {
      ASSERT_TRUE(killedBySigkill(status));
    } else {
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    platform::LogCapture log;
    DatabaseService next;
    EXPECT_EQ(log.text(), "");
    EXPECT_EQ(home.text("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(home.rows("prompts", promptColumns()), kSeededPrompts);
    EXPECT_EQ(home.rows("pipelines", pipelineColumns()), kSeededPipelines);
    EXPECT_EQ(home.rows("pipeline_prompts", linkColumns()), kSeededLinks);
    EXPECT_EQ(home.count("conversations") + home.count("jobs"), 0);
  }
}

TEST(DatabaseServiceSharedIntegration, SharedStoreIsOpenedOnceForTheProcess) {
  StoreTestHome home(memoryBackedFolder());
  // A process of its own: the shared store lives until its process ends.
  const int status = runChild([] {
    const auto first = DatabaseService::shared();
    const bool same = first == DatabaseService::shared();
    const bool listed = first->db() != nullptr && first->getPipelines().size() == 3;
    ::_exit(same && listed ? 0 : 1);
  });
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(home.rows("pipelines", pipelineColumns()), kSeededPipelines);
}

// Saves jobs and three-step pipelines for ever, writing one byte to `progress` before each.
[[noreturn]] void writeForever(int progress) {
  DatabaseService store;
  const auto conversation = store.createConversation("Writer", std::nullopt);
  if (!conversation) ::_exit(2);
  Conversation saved{conversation->id, "Saved", std::nullopt, {}};
  for (const char* step : {"original", "First step", "Second step", "Third step"}) {
    saved.jobs.push_back(Job{std::nullopt, "text", step, "answer", sql::Date{}, *conversation->id});
  }
  for (std::int64_t round = 0;; ++round) {
    if (::write(progress, "j", 1) != 1) ::_exit(3);
    store.saveJob(Job{std::nullopt, "text " + std::to_string(round), "prompt", "answer", sql::Date{},
                      *conversation->id});
    if (::write(progress, "p", 1) != 1) ::_exit(3);
    store.createPipeline(saved);
  }
}

// Reads `count` bytes, or fewer when the writer ends first.
void awaitProgress(int progress, int count) {
  char byte = 0;
  for (int i = 0; i < count; ++i) {
    if (::read(progress, &byte, 1) != 1) return;
  }
}

TEST(DatabaseServiceCrashIntegration, WritersKilledAThousandTimesLeaveASoundFileAndNoHalfSavedPipeline) {
  constexpr int kKills = 1000;
  StoreTestHome home(memoryBackedFolder());
  { DatabaseService seeded; }
  const auto journal = std::filesystem::path(home.databaseFile().string() + "-journal");
  std::mt19937 random(20261206);
  std::uniform_int_distribution<int> operations(1, 12);
  int sigkills = 0;
  int soundFiles = 0;
  int hotJournals = 0;

  for (int round = 0; round < kKills; ++round) {
    int progress[2];
    ASSERT_EQ(::pipe(progress), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(progress[0]);
      writeForever(progress[1]);
    }
    ::close(progress[1]);
    awaitProgress(progress[0], operations(random));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(progress[0]);
    sigkills += killedBySigkill(status) ? 1 : 0;
    // A journal left behind means the kill landed inside a write transaction.
    hotJournals += std::filesystem::exists(journal) ? 1 : 0;

    soundFiles += home.text("PRAGMA integrity_check") == "ok" ? 1 : 0;
    ASSERT_EQ(home.text(kHalfSavedPipelines), "0") << "half-saved pipeline after kill " << round;
  }

  const auto savedPipelines = home.text("SELECT count(*) FROM pipelines WHERE name = 'Saved'");
  const auto savedJobs = home.count("jobs");
  std::cout << "kills: " << sigkills << ", integrity ok: " << soundFiles
            << ", kills that left a hot journal: " << hotJournals << ", pipelines saved: " << savedPipelines
            << ", jobs saved: " << savedJobs << "\n";
  EXPECT_EQ(sigkills, kKills);
  EXPECT_EQ(soundFiles, kKills);
  EXPECT_GT(hotJournals, 0);
  EXPECT_GT(std::stoll(savedPipelines), 0);
  EXPECT_GT(savedJobs, 0);
  // The defaults are untouched and every saved pipeline reads back whole through the store.
  DatabaseService reader;
  const auto pipelines = reader.getPipelines();
  ASSERT_EQ(pipelines.size(), 3 + std::stoull(savedPipelines));
  EXPECT_EQ(pipelines[1].prompts.size(), 3U);
  for (std::size_t i = 3; i < pipelines.size(); ++i) ASSERT_EQ(pipelines[i].prompts.size(), 3U);
}

}  // namespace
