// The store's operations on a real, seeded file in a temporary home. What the store returns is
// checked against what a separate connection reads from the file.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
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
  storetest::StoreTestHome home;
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
  storetest::StatementTrace trace;
  DatabaseService traced;
  trace.clear();
  traced.createPipeline(conversation("Polish", {"Fix spelling", "Structure", "Fix spelling"}));
  const auto statements = trace.statements();

  EXPECT_EQ(home.rows("pipelines", storetest::pipelineColumns()),
            std::string(storetest::kSeededPipelines) + ";4|Polish");
  // "Structure" is the stored prompt 3; the repeated new text is stored once and linked twice.
  EXPECT_EQ(home.rows("prompts", storetest::promptColumns()),
            std::string(storetest::kSeededPrompts) + ";7|Fix spelling");
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
  storetest::StatementTrace trace;
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
  EXPECT_EQ(home.rows("pipelines", storetest::pipelineColumns()), storetest::kSeededPipelines);
  EXPECT_EQ(home.rows("prompts", storetest::promptColumns()), storetest::kSeededPrompts);
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
  EXPECT_EQ(home.rows("pipelines", storetest::pipelineColumns()),
            "1|;2|Optimize expression;3|Identify tasks;4|Twin;5|Renamed");
  EXPECT_EQ(describe(store.getPipelinePrompts(5)), "5:Renamed[8:B]");
}

TEST_F(DatabaseServiceOperationsIntegration, DeletingRemovesThePipelineAndItsLinksButKeepsThePrompts) {
  platform::LogCapture log;
  EXPECT_TRUE(store.deletePipeline(2));
  EXPECT_FALSE(store.deletePipeline(2));
  EXPECT_FALSE(store.deletePipeline(42));
  EXPECT_EQ(log.text(), "");
  EXPECT_EQ(home.rows("pipelines", storetest::pipelineColumns()), "1|Translate;3|Identify tasks");
  EXPECT_EQ(home.rows("pipeline_prompts", storetest::linkColumns()), "0|1|1;0|3|5;1|3|6");
  EXPECT_EQ(home.rows("prompts", storetest::promptColumns()), storetest::kSeededPrompts);

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
  EXPECT_EQ(home.rows("pipeline_prompts", storetest::linkColumns()), storetest::kSeededLinks);
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

}  // namespace
