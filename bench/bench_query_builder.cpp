// The typed query builder against hand-written SQL through the raw sqlite3 C API: a filtered
// join compiled and run, inserts through setters, and rows read by typed column. Each
// benchmark runs its arms in alternating rounds on the same database (the insert arms on two
// fresh files made alike), so that the machine's drift and the file's layout weigh on both
// alike; it reports each arm's median round and the ratio builder / raw. The engine arm shows
// which share of a difference lies beneath the builder.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

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

// --- Alternating rounds ----------------------------------------------------------------------

// One arm of a comparison: its name and one round of its work on the database given.
struct Arm {
  std::string name;
  std::function<void(sql::Connection&)> round;
};

double millisecondsOf(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const auto middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Runs one round of every arm per iteration, the order rotating from iteration to iteration;
// `database` gives each round its database (the same one, or a fresh file per round). Reports
// each arm's median round in milliseconds, and as `ratio` the median over the iterations of
// first arm / last arm: the rounds of one iteration run back to back, so their ratio is far
// steadier on a shared machine than a ratio of medians taken minutes apart.
void compareArms(benchmark::State& state, const std::vector<Arm>& arms,
                 const std::function<std::shared_ptr<sql::Connection>(const Arm&)>& database) {
  std::vector<std::vector<double>> times(arms.size());
  std::size_t first = 0;
  for (auto _ : state) {
    for (std::size_t k = 0; k < arms.size(); ++k) {
      const auto index = (first + k) % arms.size();
      state.PauseTiming();
      auto db = database(arms[index]);
      state.ResumeTiming();
      times[index].push_back(millisecondsOf([&] { arms[index].round(*db); }));
    }
    first = (first + 1) % arms.size();
  }
  std::vector<double> ratios;
  for (std::size_t k = 0; k < times.front().size(); ++k) ratios.push_back(times.front()[k] / times.back()[k]);
  for (std::size_t i = 0; i < arms.size(); ++i) state.counters[arms[i].name + "_ms"] = median(times[i]);
  state.counters["ratio"] = median(ratios);
}

// --- A filtered join, compiled and run, rows read by typed column --------------------------

void joinBuilder(sql::Connection& db) {
  Int64 total = 0;
  for (int i = 0; i < kJoinRuns; ++i) {
    auto query = prompts.select(prompts[id], prompts[prompt])
                     .join(links, prompts[id] == links[promptId])
                     .filter(links[pipelineId] == Int64{i % 3 + 1})
                     .order(links[order]);
    for (const auto& row : sql::prepare(db, query)) {
      total += row.get(prompts[id]) + static_cast<Int64>(row.get(prompts[prompt]).size());
    }
  }
  benchmark::DoNotOptimize(total);
}

void joinRaw(sql::Connection& connection) {
  sqlite3* db = connection.handle();
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

void BM_Join(benchmark::State& state) {
  const auto db = freshDatabase("join", 30);
  compareArms(state, {{"builder", joinBuilder}, {"raw", joinRaw}}, [&](const Arm&) { return db; });
}

// --- Inserting records -----------------------------------------------------------------------

void insertBuilder(sql::Connection& db) {
  db.transaction([&] {
    for (Int64 i = 0; i < kRecords; ++i) {
      sql::run(db, links.insert(sql::assign(order, i), sql::assign(pipelineId, i % 7), sql::assign(promptId, i)));
    }
  });
}

void insertEngine(sql::Connection& db) {
  db.transaction([&] {
    for (Int64 i = 0; i < kRecords; ++i) {
      db.prepare("INSERT INTO \"pipeline_prompts\" (\"order\", \"pipelineId\", \"promptId\") VALUES (?, ?, ?)",
                 {sql::Binding{i}, sql::Binding{i % 7}, sql::Binding{i}})
          ->run();
      benchmark::DoNotOptimize(db.lastInsertRowid());
    }
  });
}

void insertRaw(sql::Connection& connection) {
  sqlite3* db = connection.handle();
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

// Every round inserts into a fresh file of its own arm.
void BM_Insert(benchmark::State& state) {
  compareArms(state, {{"builder", insertBuilder}, {"engine", insertEngine}, {"raw", insertRaw}},
              [](const Arm& arm) { return freshDatabase("insert_" + arm.name, 0); });
}

// --- Reading rows by typed column ------------------------------------------------------------

void readBuilder(sql::Connection& db) {
  Int64 ids = 0;
  std::size_t characters = 0;
  double scores = 0;
  for (const auto& row : sql::prepare(db, prompts.select(id, prompt, score))) {
    ids += row.get(id);
    characters += row.get(prompt).size();
    scores += row.get(score);
  }
  benchmark::DoNotOptimize(ids);
  benchmark::DoNotOptimize(characters);
  benchmark::DoNotOptimize(scores);
}

void readEngine(sql::Connection& db) {
  Int64 ids = 0;
  std::size_t characters = 0;
  double scores = 0;
  for (const auto& row : *db.prepare("SELECT \"id\", \"prompt\", \"score\" FROM \"prompts\"")) {
    ids += std::get<Int64>(*row[0]);
    characters += std::string(std::get<std::string>(*row[1])).size();
    scores += std::get<double>(*row[2]);
  }
  benchmark::DoNotOptimize(ids);
  benchmark::DoNotOptimize(characters);
  benchmark::DoNotOptimize(scores);
}

void readRaw(sql::Connection& connection) {
  sqlite3* db = connection.handle();
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

void BM_Read(benchmark::State& state) {
  const auto db = freshDatabase("read", kRecords);
  compareArms(state, {{"builder", readBuilder}, {"engine", readEngine}, {"raw", readRaw}},
              [&](const Arm&) { return db; });
}

}  // namespace

BENCHMARK(BM_Join)->Unit(benchmark::kMillisecond)->Iterations(21);
BENCHMARK(BM_Insert)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_Read)->Unit(benchmark::kMillisecond)->Iterations(61);

BENCHMARK_MAIN();
