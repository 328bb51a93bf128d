// The conversation store's pipeline listing against one hand-written join through the raw
// sqlite3 C API, on the same file of 100 pipelines of 5 prompts each. getPipelines runs one
// statement for the pipelines, one per pipeline and one per link (1 + 100 + 500); the join runs
// one. Report the ratio store / raw.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "Quellorin/Assistant/DatabaseService.h"
#include "tests/support/ScopedEnvironmentVariable.h"
#include "tests/support/TemporaryFolder.h"

namespace {

using quellorin::Conversation;
using quellorin::DatabaseService;
using quellorin::Job;
using quellorin::Pipeline;
using quellorin::Prompt;

constexpr int kPipelines = 100;
constexpr int kPromptsPerPipeline = 5;

// A temporary home holding the store's file with exactly the pipelines to list. HOME points at
// it only while the store opens its file; the previous value is back before any benchmark runs.
class StoreFile {
 public:
  StoreFile() {
    {
      testsupport::ScopedEnvironmentVariable home("HOME", root_.path().c_str());
      testsupport::ScopedEnvironmentVariable documents("XDG_DOCUMENTS_DIR", nullptr);
      store_ = std::make_unique<DatabaseService>();
    }
    for (const auto& seeded : store_->getPipelines()) store_->deletePipeline(*seeded.id);
    for (int p = 0; p < kPipelines; ++p) {
      Conversation conversation{p, "Pipeline " + std::to_string(p), std::nullopt, {Job{}}};
      for (int s = 0; s < kPromptsPerPipeline; ++s) {
        conversation.jobs.push_back(
            Job{std::nullopt, "text", "Prompt " + std::to_string(p) + "-" + std::to_string(s), "", {}, 0});
      }
      store_->createPipeline(conversation);
    }
    requireFullListing(store_->getPipelines());
  }
  ~StoreFile() { store_.reset(); }

  DatabaseService& store() { return *store_; }
  std::string path() const { return (root_.path() / "Documents" / "db.sqlite3").string(); }

  static void requireFullListing(const std::vector<Pipeline>& pipelines) {
    if (pipelines.size() != kPipelines) throw std::runtime_error("wrong number of pipelines");
    for (const auto& pipeline : pipelines) {
      if (pipeline.prompts.size() != kPromptsPerPipeline) throw std::runtime_error("wrong number of prompts");
    }
  }

 private:
  platform::VirtualEnvironment environment_;
  testsupport::TemporaryFolder root_{"quellorin-bench-store-"};
  std::unique_ptr<DatabaseService> store_;
};

StoreFile& storeFile() {
  static StoreFile file;
  return file;
}

void BM_GetPipelines(benchmark::State& state) {
  auto& store = storeFile().store();
  for (auto _ : state) {
    auto pipelines = store.getPipelines();
    benchmark::DoNotOptimize(pipelines.data());
  }
  state.SetItemsProcessed(state.iterations() * kPipelines);
}
BENCHMARK(BM_GetPipelines)->Unit(benchmark::kMicrosecond);

std::string columnText(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

// The same rows through one join, prepared and finalised per listing as the store's are.
std::vector<Pipeline> listWithOneJoin(sqlite3* db) {
  static constexpr const char* kJoin =
      "SELECT p.id, p.name, pr.id, pr.prompt FROM pipelines p "
      "LEFT JOIN pipeline_prompts l ON l.pipelineId = p.id LEFT JOIN prompts pr ON pr.id = l.promptId "
      "ORDER BY p.id, l.rowid";
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, kJoin, -1, &statement, nullptr) != SQLITE_OK)
    throw std::runtime_error(sqlite3_errmsg(db));
  std::vector<Pipeline> pipelines;
  int code = SQLITE_OK;
  while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
    const std::int64_t pipelineId = sqlite3_column_int64(statement, 0);
    if (pipelines.empty() || pipelines.back().id != pipelineId) {
      pipelines.push_back(Pipeline{pipelineId, columnText(statement, 1), {}});
    }
    if (sqlite3_column_type(statement, 2) != SQLITE_NULL) {
      pipelines.back().prompts.push_back(
          Prompt{sqlite3_column_int64(statement, 2), columnText(statement, 3)});
    }
  }
  sqlite3_finalize(statement);
  if (code != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
  return pipelines;
}

void BM_RawJoin(benchmark::State& state) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(storeFile().path().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    state.SkipWithError("cannot open the store's file");
    return;
  }
  StoreFile::requireFullListing(listWithOneJoin(db));
  for (auto _ : state) {
    auto pipelines = listWithOneJoin(db);
    benchmark::DoNotOptimize(pipelines.data());
  }
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * kPipelines);
}
BENCHMARK(BM_RawJoin)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
