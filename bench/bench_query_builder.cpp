// The typed query builder against hand-written SQL through the raw sqlite3 C API, side by
// side on the same database: a filtered join compiled and run, inserts through setters, and
// rows read by typed column. Report the ratio builder / raw for each pair.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "SQLite/Connection.h"
#include "SQLite/Query/QueryExecution.h"
#include "SQLite/Query/Table.h"

namespace {

using sql::Int64;

constexpr int kJoinRuns = 10'000;
constexpr int kRecords = 100'000;

const sql::Table prompts("prompts");
const sql::Table links("pipeline_prompts");
const sql::Expression<Int64> id("id");
const sql::Expression<std::string> prompt("prompt");
const sql::Expression<Int64> order("order");
const sql::Expression<std::optional<Int64>> pipelineId("pipelineId");
const sql::Expression<Int64> promptId("promptId");
const sql::Expression<double> score("score");

std::string databasePath(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("quellorin_bench_" + name + ".sqlite3")).string();
}

// A fresh database file with the prompts and links tables; `links` links per pipeline id 1..3.
std::shared_ptr<sql::Connection> freshDatabase(const std::string& name, int promptRows) {
  const auto path = databasePath(name);
  std::filesystem::remove(path);
  auto db = sql::Connection::open(path);
  db->execute("PRAGMA journal_mode = WAL; PRAGMA synchronous = OFF;");
  db->run(prompts.create(false, true, false, [](sql::TableBuilder& t) {
    t.column(id, {.primaryKey = sql::PrimaryKey::default_});
    t.column(prompt);
    t.column(score);
  }));
  db->run(links.create(false, true, false, [](sql::TableBuilder& t) {
    t.column(order);
    t.column(pipelineId);
    t.column(promptId);
  }));
  db->transaction([&] {
    auto insertPrompt = db->prepare("INSERT INTO prompts (id, prompt, score) VALUES (?, ?, ?)");
    auto insertLink = db->prepare("INSERT INTO pipeline_prompts (\"order\", pipelineId, promptId) VALUES (?, ?, ?)");
    for (Int64 i = 1; i <= promptRows; ++i) {
      insertPrompt->run({sql::Binding{i}, sql::Binding{"prompt number " + std::to_string(i)},
                         sql::Binding{static_cast<double>(i) / 3}});
      insertLink->run({sql::Binding{i % 5}, sql::Binding{i % 3 + 1}, sql::Binding{i}});
    }
  });
  return db;
}

void check(int code, sqlite3* db) {
  if (code != SQLITE_OK && code != SQLITE_ROW && code != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
}

// --- A filtered join, compiled and run, rows read by typed column --------------------------

void BM_JoinBuilder(benchmark::State& state) {
  auto db = freshDatabase("join_builder", 30);
  for (auto _ : state) {
    Int64 total = 0;
    for (int i = 0; i < kJoinRuns; ++i) {
      auto query = prompts.select(prompts[id], prompts[prompt])
                       .join(links, prompts[id] == links[promptId])
                       .filter(links[pipelineId] == Int64{i % 3 + 1})
                       .order(links[order]);
      for (const auto& row : sql::prepare(*db, query)) {
        total += row.get(prompts[id]) + static_cast<Int64>(row.get(prompts[prompt]).size());
      }
    }
    benchmark::DoNotOptimize(total);
  }
}

void BM_JoinRaw(benchmark::State& state) {
  auto connection = freshDatabase("join_raw", 30);
  sqlite3* db = connection->handle();
  for (auto _ : state) {
    Int64 total = 0;
    for (int i = 0; i < kJoinRuns; ++i) {
      sqlite3_stmt* statement = nullptr;
      check(sqlite3_prepare_v2(db,
                               "SELECT \"prompts\".\"id\", \"prompts\".\"prompt\" FROM \"prompts\" INNER JOIN "
                               "\"pipeline_prompts\" ON (\"prompts\".\"id\" = \"pipeline_prompts\".\"promptId\") "
                               "WHERE (\"pipeline_prompts\".\"pipelineId\" = ?) ORDER BY \"pipeline_prompts\".\"order\"",
                               -1, &statement, nullptr),
            db);
      sqlite3_bind_int64(statement, 1, i % 3 + 1);
      while (sqlite3_step(statement) == SQLITE_ROW) {
        const auto* text = sqlite3_column_text(statement, 1);
        total += sqlite3_column_int64(statement, 0) +
                 static_cast<Int64>(std::string(reinterpret_cast<const char*>(text),
                                                static_cast<std::size_t>(sqlite3_column_bytes(statement, 1)))
                                        .size());
      }
      sqlite3_finalize(statement);
    }
    benchmark::DoNotOptimize(total);
  }
}

// --- Inserting records -----------------------------------------------------------------------

void BM_InsertBuilder(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto db = freshDatabase("insert_builder", 0);
    state.ResumeTiming();
    db->transaction([&] {
      for (Int64 i = 0; i < kRecords; ++i) {
        sql::run(*db, links.insert(sql::assign(order, i), sql::assign(pipelineId, i % 7), sql::assign(promptId, i)));
      }
    });
  }
}

void BM_InsertRaw(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto connection = freshDatabase("insert_raw", 0);
    sqlite3* db = connection->handle();
    state.ResumeTiming();
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    for (Int64 i = 0; i < kRecords; ++i) {
      sqlite3_stmt* statement = nullptr;
      check(sqlite3_prepare_v2(db,
                               "INSERT INTO \"pipeline_prompts\" (\"order\", \"pipelineId\", \"promptId\") VALUES (?, ?, ?)",
                               -1, &statement, nullptr),
            db);
      sqlite3_bind_int64(statement, 1, i);
      sqlite3_bind_int64(statement, 2, i % 7);
      sqlite3_bind_int64(statement, 3, i);
      check(sqlite3_step(statement), db);
      benchmark::DoNotOptimize(sqlite3_last_insert_rowid(db));
      sqlite3_finalize(statement);
    }
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
  }
}

// The same inserts through the engine layer alone (prepared text, bound values), to show which
// share of the difference lies beneath the builder.
void BM_InsertEngine(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto db = freshDatabase("insert_engine", 0);
    state.ResumeTiming();
    db->transaction([&] {
      for (Int64 i = 0; i < kRecords; ++i) {
        db->prepare("INSERT INTO \"pipeline_prompts\" (\"order\", \"pipelineId\", \"promptId\") VALUES (?, ?, ?)",
                    {sql::Binding{i}, sql::Binding{i % 7}, sql::Binding{i}})
            ->run();
        benchmark::DoNotOptimize(db->lastInsertRowid());
      }
    });
  }
}

// --- Reading rows by typed column ------------------------------------------------------------

void BM_ReadBuilder(benchmark::State& state) {
  auto db = freshDatabase("read_builder", kRecords);
  for (auto _ : state) {
    Int64 ids = 0;
    std::size_t characters = 0;
    double scores = 0;
    for (const auto& row : sql::prepare(*db, prompts.select(id, prompt, score))) {
      ids += row.get(id);
      characters += row.get(prompt).size();
      scores += row.get(score);
    }
    benchmark::DoNotOptimize(ids);
    benchmark::DoNotOptimize(characters);
    benchmark::DoNotOptimize(scores);
  }
}

void BM_ReadEngine(benchmark::State& state) {
  auto db = freshDatabase("read_engine", kRecords);
  for (auto _ : state) {
    Int64 ids = 0;
    std::size_t characters = 0;
    double scores = 0;
    auto statement = db->prepare("SELECT \"id\", \"prompt\", \"score\" FROM \"prompts\"");
    while (auto row = statement->failableNext()) {
      ids += std::get<Int64>(*(*row)[0]);
      characters += std::get<std::string>(*(*row)[1]).size();
      scores += std::get<double>(*(*row)[2]);
    }
    benchmark::DoNotOptimize(ids);
    benchmark::DoNotOptimize(characters);
    benchmark::DoNotOptimize(scores);
  }
}

void BM_ReadRaw(benchmark::State& state) {
  auto connection = freshDatabase("read_raw", kRecords);
  sqlite3* db = connection->handle();
  for (auto _ : state) {
    Int64 ids = 0;
    std::size_t characters = 0;
    double scores = 0;
    sqlite3_stmt* statement = nullptr;
    check(sqlite3_prepare_v2(db, "SELECT \"id\", \"prompt\", \"score\" FROM \"prompts\"", -1, &statement, nullptr), db);
    while (sqlite3_step(statement) == SQLITE_ROW) {
      ids += sqlite3_column_int64(statement, 0);
      const auto* text = sqlite3_column_text(statement, 1);
      characters += std::string(reinterpret_cast<const char*>(text),
                                static_cast<std::size_t>(sqlite3_column_bytes(statement, 1)))
                        .size();
      scores += sqlite3_column_double(statement, 2);
    }
    sqlite3_finalize(statement);
    benchmark::DoNotOptimize(ids);
    benchmark::DoNotOptimize(characters);
    benchmark::DoNotOptimize(scores);
  }
}

}  // namespace

BENCHMARK(BM_JoinBuilder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JoinRaw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertBuilder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertEngine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertRaw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBuilder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadEngine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRaw)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
