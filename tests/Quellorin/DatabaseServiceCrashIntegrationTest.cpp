// Writer processes killed with SIGKILL: during the first start's creation and seed, and at
// arbitrary moments of a saveJob / createPipeline loop. The next start must find a sound file.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "Platform/Core/Log.h"
#include "Quellorin/Assistant/DatabaseService.h"
#include "tests/Quellorin/StatementTrace.h"
#include "tests/Quellorin/StoreTestHome.h"

namespace {

using quellorin::Conversation;
using quellorin::DatabaseService;
using quellorin::Job;
using storetest::StoreTestHome;

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
    storetest::StatementTrace trace;
    DatabaseService store;
    statementsOfAFirstStart = trace.statements().size();
  }
  ASSERT_GT(statementsOfAFirstStart, 30U);

  // Statement k is killed as it starts: the k - 1 before it have run.
  for (std::size_t k = 1; k <= statementsOfAFirstStart + 1; ++k) {
    SCOPED_TRACE("killed at statement " + std::to_string(k));
    StoreTestHome home(storetest::memoryBackedFolder());
    const int status = runChild([k] {
      storetest::StatementTrace trace(static_cast<int>(k));
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
    EXPECT_EQ(home.rows("prompts", storetest::promptColumns()), storetest::kSeededPrompts);
    EXPECT_EQ(home.rows("pipelines", storetest::pipelineColumns()), storetest::kSeededPipelines);
    EXPECT_EQ(home.rows("pipeline_prompts", storetest::linkColumns()), storetest::kSeededLinks);
    EXPECT_EQ(home.count("conversations") + home.count("jobs"), 0);
  }
}

TEST(DatabaseServiceSharedIntegration, SharedStoreIsOpenedOnceForTheProcess) {
  StoreTestHome home(storetest::memoryBackedFolder());
  // A process of its own: the shared store lives until its process ends.
  const int status = runChild([] {
    const auto first = DatabaseService::shared();
    const bool same = first == DatabaseService::shared();
    const bool listed = first->db() != nullptr && first->getPipelines().size() == 3;
    ::_exit(same && listed ? 0 : 1);
  });
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(home.rows("pipelines", storetest::pipelineColumns()), storetest::kSeededPipelines);
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
  StoreTestHome home(storetest::memoryBackedFolder());
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
