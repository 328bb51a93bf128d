// The typed query builder against hand-written SQL through the raw sqlite3 C API: a filtered
// join compiled and run, inserts through setters, and rows read by typed column. Each arm does
// the whole workload once per iteration, but the arms take turns in small chunks of it, on the
// same database (the insert arms on fresh files made alike), so that a busy spell of a shared
// machine weighs on every arm alike. Each benchmark reports every arm's median time and, as
// `ratio`, the median over the iterations of builder / raw. The engine arm shows which share
// of a difference lies beneath the builder.
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
#include "tests/support/TemporaryFolder.h"

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
  static const testsupport::TemporaryFolder folder("quellorin-bench-");
  return folder.file("quellorin_bench_" + name + ".sqlite3");
}

// A fresh database file with the prompts and links tables; `links` links per pipeline id 1..3.
std::shared_ptr<sql::Connection> freshDatabase(const std::string& name, int promptRows) {
  const auto path = databasePath(name);
  std::filesystem::remove(path);
  auto db = sql::Connection::open(path);
  db->execute("PRAGMA journal_mode = WAL; PRAGMA synchronous = OFF;");
  db->run(prompts.create({.ifNotExists = true}, [](sql::TableBuilder& t) {
    t.column(id, {.primaryKey = sql::PrimaryKey::default_});
    t.column(prompt);
    t.column(score);
  }));
  db->run(links.create({.ifNotExists = true}, [](sql::TableBuilder& t) {
    t.column(order);
    t.column(pipelineId);
    t.column(promptId);
  }));
  db->transaction([&] {
    auto insertPrompt = db->prepare("INSERT INTO prompts (id, prompt, score) VALUES (?, ?, ?)");
    auto insertLink =
        db->prepare("INSERT INTO pipeline_prompts (\"order\", pipelineId, promptId) VALUES (?, ?, ?)");
    for (Int64 i = 1; i <= promptRows; ++i) {
      insertPrompt->run({sql::Binding{i}, sql::Binding{"prompt number " + std::to_string(i)},
                         sql::Binding{static_cast<double>(i) / 3}});
      insertLink->run({sql::Binding{i % 5}, sql::Binding{i % 3 + 1}, sql::Binding{i}});
    }
  });
  return db;
}

void check(int code, sqlite3* db) {
  if (code != SQLITE_OK && code != SQLITE_ROW && code != SQLITE_DONE)
    throw std::runtime_error(sqlite3_errmsg(db));
}

// --- Arms taking turns -------------------------------------------------------------------------

// One arm's pass over a workload of numbered items: `chunk(from, to)` does items [from, to) in
// order, `finish` ends the pass (a commit, the release of a statement).
struct Pass {
  std::function<void(int, int)> chunk;
  std::function<void()> finish = [] {};
};

// One arm of a comparison: its name and how it starts a pass on a database.
struct Arm {
  std::string name;
  std::function<Pass(sql::Connection&)> start;
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

// Every iteration, each arm makes one whole pass over `items` items, the arms taking turns chunk
// by chunk (the order rotating from chunk to chunk); `database` gives each arm its database (the
// same one, or a fresh file per pass, made outside the timing). Reports each arm's median pass
// in milliseconds and, as `ratio`, the median over the iterations of first arm / last arm.
void compareArms(benchmark::State& state, const std::vector<Arm>& arms, int items, int chunkSize,
                 const std::function<std::shared_ptr<sql::Connection>(const Arm&)>& database) {
  std::vector<std::vector<double>> times(arms.size());
  std::vector<double> ratios;
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::shared_ptr<sql::Connection>> databases;
    for (const auto& arm : arms) databases.push_back(database(arm));
    state.ResumeTiming();

    std::vector<double> elapsed(arms.size(), 0);
    std::vector<Pass> passes(arms.size());
    for (std::size_t a = 0; a < arms.size(); ++a) {
      elapsed[a] += millisecondsOf([&] { passes[a] = arms[a].start(*databases[a]); });
    }
    std::size_t first = 0;
    for (int from = 0; from < items; from += chunkSize) {
      const int to = std::min(items, from + chunkSize);
      for (std::size_t k = 0; k < arms.size(); ++k) {
        const auto a = (first + k) % arms.size();
        elapsed[a] += millisecondsOf([&] { passes[a].chunk(from, to); });
      }
      first = (first + 1) % arms.size();
    }
    for (std::size_t a = 0; a < arms.size(); ++a) {
      elapsed[a] += millisecondsOf([&] { passes[a].finish(); });
      times[a].push_back(elapsed[a]);
    }
    ratios.push_back(elapsed.front() / elapsed.back());
  }
  for (std::size_t a = 0; a < arms.size(); ++a) state.counters[arms[a].name + "_ms"] = median(times[a]);
  state.counters["ratio"] = median(ratios);
}

// --- A filtered join, compiled and run, rows read by typed column --------------------------

Pass joinBuilder(sql::Connection& db) {
  return {[&db](int from, int to) {
    Int64 total = 0;
    for (int i = from; i < to; ++i) {
      auto query = prompts.select(prompts[id], prompts[prompt])
                       .join(links, prompts[id] == links[promptId])
                       .filter(links[pipelineId] == Int64{i % 3 + 1})
                       .order(links[order]);
      for (const auto& row : sql::prepare(db, query)) {
        total += row.get(prompts[id]) + static_cast<Int64>(row.get(prompts[prompt]).size());
      }
    }
    benchmark::DoNotOptimize(total);
  }};
}

Pass joinRaw(sql::Connection& connection) {
  return {[db = connection.handle()](int from, int to) {
    Int64 total = 0;
    for (int i = from; i < to; ++i) {
      sqlite3_stmt* statement = nullptr;
      check(sqlite3_prepare_v2(
                db,
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
  }};
}

void BM_Join(benchmark::State& state) {
  const auto db = freshDatabase("join", 30);
  compareArms(state, {{"builder", joinBuilder}, {"raw", joinRaw}}, kJoinRuns, 100,
              [&](const Arm&) { return db; });
}

// --- Inserting records -----------------------------------------------------------------------

// The builder and engine arms open and commit their transaction by SQL text, as the raw arm
// does: the transaction spans every chunk of the pass.
Pass insertBuilder(sql::Connection& db) {
  db.execute("BEGIN");
  return {[&db](int from, int to) {
            for (Int64 i = from; i < to; ++i) {
              sql::run(db, links.insert(sql::assign(order, i), sql::assign(pipelineId, i % 7),
                                        sql::assign(promptId, i)));
            }
          },
          [&db] { db.execute("COMMIT"); }};
}

Pass insertEngine(sql::Connection& db) {
  db.execute("BEGIN");
  return {
      [&db](int from, int to) {
        for (Int64 i = from; i < to; ++i) {
          db.prepare(
                "INSERT INTO \"pipeline_prompts\" (\"order\", \"pipelineId\", \"promptId\") VALUES (?, ?, ?)",
                {sql::Binding{i}, sql::Binding{i % 7}, sql::Binding{i}})
              ->run();
          benchmark::DoNotOptimize(db.lastInsertRowid());
        }
      },
      [&db] { db.execute("COMMIT"); }};
}

Pass insertRaw(sql::Connection& connection) {
  sqlite3* db = connection.handle();
  check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
  return {[db](int from, int to) {
            for (Int64 i = from; i < to; ++i) {
              sqlite3_stmt* statement = nullptr;
              check(sqlite3_prepare_v2(db,
                                       "INSERT INTO \"pipeline_prompts\" (\"order\", \"pipelineId\", "
                                       "\"promptId\") VALUES (?, ?, ?)",
                                       -1, &statement, nullptr),
                    db);
              sqlite3_bind_int64(statement, 1, i);
              sqlite3_bind_int64(statement, 2, i % 7);
              sqlite3_bind_int64(statement, 3, i);
              check(sqlite3_step(statement), db);
              benchmark::DoNotOptimize(sqlite3_last_insert_rowid(db));
              sqlite3_finalize(statement);
            }
          },
          [db] { check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db); }};
}

// Every pass inserts into a fresh file of its own arm.
void BM_Insert(benchmark::State& state) {
  compareArms(state, {{"builder", insertBuilder}, {"engine", insertEngine}, {"raw", insertRaw}}, kRecords,
              1000, [](const Arm& arm) { return freshDatabase("insert_" + arm.name, 0); });
}

// --- Reading rows by typed column ------------------------------------------------------------

// What a reading arm adds up, so that no read can be left out.
struct Totals {
  Int64 ids = 0;
  std::size_t characters = 0;
  double scores = 0;
  void publish() {
    benchmark::DoNotOptimize(ids);
    benchmark::DoNotOptimize(characters);
    benchmark::DoNotOptimize(scores);
  }
};

Pass readBuilder(sql::Connection& db) {
  struct State {
    sql::RowSequence rows;
    sql::RowSequence::Iterator next;
    Totals totals;
  };
  auto sequence = sql::prepare(db, prompts.select(id, prompt, score));
  auto first = sequence.begin();
  auto reading = std::make_shared<State>(State{std::move(sequence), std::move(first), {}});
  return {[reading](int from, int to) {
            auto& [rows, next, totals] = *reading;
            for (int i = from; i < to && next != rows.end(); ++i, ++next) {
              totals.ids += next->get(id);
              totals.characters += next->get(prompt).size();
              totals.scores += next->get(score);
            }
          },
          [reading] { reading->totals.publish(); }};
}

Pass readEngine(sql::Connection& db) {
  struct State {
    sql::StatementPointer statement;
    sql::Statement::Iterator next;
    Totals totals;
  };
  auto prepared = db.prepare("SELECT \"id\", \"prompt\", \"score\" FROM \"prompts\"");
  auto first = prepared->begin();
  auto reading = std::make_shared<State>(State{std::move(prepared), std::move(first), {}});
  return {[reading](int from, int to) {
            auto& [statement, next, totals] = *reading;
            for (int i = from; i < to && next != statement->end(); ++i, ++next) {
              const auto& row = *next;
              totals.ids += std::get<Int64>(*row[0]);
              totals.characters += std::string(std::get<std::string>(*row[1])).size();
              totals.scores += std::get<double>(*row[2]);
            }
          },
          [reading] { reading->totals.publish(); }};
}

Pass readRaw(sql::Connection& connection) {
  sqlite3* db = connection.handle();
  sqlite3_stmt* statement = nullptr;
  check(sqlite3_prepare_v2(db, "SELECT \"id\", \"prompt\", \"score\" FROM \"prompts\"", -1, &statement,
                           nullptr),
        db);
  auto totals = std::make_shared<Totals>();
  return {[statement, totals](int from, int to) {
            for (int i = from; i < to && sqlite3_step(statement) == SQLITE_ROW; ++i) {
              totals->ids += sqlite3_column_int64(statement, 0);
              const auto* text = sqlite3_column_text(statement, 1);
              totals->characters += std::string(reinterpret_cast<const char*>(text),
                                                static_cast<std::size_t>(sqlite3_column_bytes(statement, 1)))
                                        .size();
              totals->scores += sqlite3_column_double(statement, 2);
            }
          },
          [statement, totals] {
            sqlite3_finalize(statement);
            totals->publish();
          }};
}

void BM_Read(benchmark::State& state) {
  const auto db = freshDatabase("read", kRecords);
  compareArms(state, {{"builder", readBuilder}, {"engine", readEngine}, {"raw", readRaw}}, kRecords, 1000,
              [&](const Arm&) { return db; });
}

}  // namespace

BENCHMARK(BM_Join)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_Insert)->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(BM_Read)->Unit(benchmark::kMillisecond)->Iterations(41);

BENCHMARK_MAIN();
