// The SQL engine layer against the raw sqlite3 C API doing the same work: 100,000 prepared
// INSERTs of four columns in one transaction, and reading 100,000 rows of four columns.
// Both sides copy every bound value into the engine (SQLITE_TRANSIENT) and copy every read
// value out. After the usual table, the two sides are run alternately and the ratio of their
// fastest rounds printed, which holds up better than separate runs on a busy machine.

#include "SQLite/Connection.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>

namespace {

constexpr int rowCount = 100'000;
constexpr const char* createText = "CREATE TABLE t (id INTEGER, score REAL, name TEXT, flags INTEGER)";
constexpr const char* insertText = "INSERT INTO t VALUES (?, ?, ?, ?)";
constexpr const char* selectText = "SELECT id, score, name, flags FROM t";

std::string nameOf(int i) { return "name number " + std::to_string(i); }

struct Row {
  std::int64_t id;
  double score;
  std::string name;
  std::int64_t flags;
};

void rawInsertAll(sqlite3* db) {
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, insertText, -1, &insert, nullptr);
  for (int i = 0; i < rowCount; ++i) {
    const std::string name = nameOf(i);
    sqlite3_bind_int64(insert, 1, i);
    sqlite3_bind_double(insert, 2, i * 0.5);
    sqlite3_bind_text(insert, 3, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert, 4, i & 7);
    if (sqlite3_step(insert) != SQLITE_DONE) std::abort();
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

void layerInsertAll(sql::Connection& db) {
  db.transaction([&] {
    auto insert = db.prepare(insertText);
    for (int i = 0; i < rowCount; ++i) insert->run(sql::Int64{i}, i * 0.5, nameOf(i), sql::Int64{i & 7});
  });
}

// The same through a list of values, as a caller holding its values in a list would.
void layerInsertAllFromLists(sql::Connection& db) {
  db.transaction([&] {
    auto insert = db.prepare(insertText);
    for (int i = 0; i < rowCount; ++i) insert->run({sql::Int64{i}, i * 0.5, nameOf(i), sql::Int64{i & 7}});
  });
}

sqlite3* rawOpen() {
  sqlite3* db = nullptr;
  sqlite3_open_v2(":memory:", &db,
                  SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI | SQLITE_OPEN_FULLMUTEX,
                  nullptr);
  sqlite3_exec(db, createText, nullptr, nullptr, nullptr);
  return db;
}

std::shared_ptr<sql::Connection> layerOpen() {
  auto db = sql::Connection::open(sql::Location::inMemory());
  db->execute(createText);
  return db;
}

void BM_InsertRaw(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    sqlite3* db = rawOpen();
    state.ResumeTiming();
    rawInsertAll(db);
    state.PauseTiming();
    sqlite3_close(db);
    state.ResumeTiming();
  }
}

void BM_InsertLayer(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto db = layerOpen();
    state.ResumeTiming();
    layerInsertAll(*db);
    state.PauseTiming();
    db.reset();
    state.ResumeTiming();
  }
}

void BM_InsertLayerLists(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto db = layerOpen();
    state.ResumeTiming();
    layerInsertAllFromLists(*db);
    state.PauseTiming();
    db.reset();
    state.ResumeTiming();
  }
}

void readRaw(sqlite3* db) {
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(db, selectText, -1, &select, nullptr);
  std::vector<Row> rows;
  rows.reserve(rowCount);
  while (sqlite3_step(select) == SQLITE_ROW) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(select, 2));
    rows.push_back({sqlite3_column_int64(select, 0), sqlite3_column_double(select, 1),
                    std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(select, 2))),
                    sqlite3_column_int64(select, 3)});
  }
  sqlite3_finalize(select);
  benchmark::DoNotOptimize(rows.data());
}

void readLayer(sql::Connection& db) {
  auto select = db.prepare(selectText);
  std::vector<Row> rows;
  rows.reserve(rowCount);
  const auto& row = select->row();
  while (select->step())
    rows.push_back(
        {row.get<sql::Int64>(0), row.get<double>(1), row.get<std::string>(2), row.get<sql::Int64>(3)});
  benchmark::DoNotOptimize(rows.data());
}

// Rows as the layer's generic values: each column in its stored type.
void readLayerBindings(sql::Connection& db) {
  auto select = db.prepare(selectText);
  std::size_t columns = 0;
  for (const auto& values : *select) columns += values.size();
  benchmark::DoNotOptimize(columns);
}

void BM_ReadRaw(benchmark::State& state) {
  sqlite3* db = rawOpen();
  rawInsertAll(db);
  for (auto _ : state) readRaw(db);
  sqlite3_close(db);
}

void BM_ReadLayer(benchmark::State& state) {
  auto db = layerOpen();
  layerInsertAll(*db);
  for (auto _ : state) readLayer(*db);
}

void BM_ReadLayerBindings(benchmark::State& state) {
  auto db = layerOpen();
  layerInsertAll(*db);
  for (auto _ : state) readLayerBindings(*db);
}

void measured(benchmark::internal::Benchmark* benchmark) {
  benchmark->Unit(benchmark::kMillisecond)->MinTime(0.5);
}

BENCHMARK(BM_InsertRaw)->Apply(measured);
BENCHMARK(BM_InsertLayer)->Apply(measured);
BENCHMARK(BM_InsertLayerLists)->Apply(measured);
BENCHMARK(BM_ReadRaw)->Apply(measured);
BENCHMARK(BM_ReadLayer)->Apply(measured);
BENCHMARK(BM_ReadLayerBindings)->Apply(measured);

// The CPU time of this thread, in seconds: on a busy machine it counts only our own work.
double threadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

template <class Work>
double timed(Work&& work) {
  const double start = threadSeconds();
  work();
  return threadSeconds() - start;
}

// Runs the baseline and the layer alternately, so that both see the same machine, and
// prints the ratio of their fastest rounds.
template <class Raw, class Layer>
void printRatio(const char* label, Raw&& raw, Layer&& layer) {
  constexpr int rounds = 15;
  double fastestRaw = 1e9, fastestLayer = 1e9;
  for (int round = 0; round < rounds; ++round) {
    fastestRaw = std::min(fastestRaw, raw());
    fastestLayer = std::min(fastestLayer, layer());
  }
  std::printf("%-34s raw %7.2f ms   layer %7.2f ms   ratio %.3f\n", label, fastestRaw * 1e3,
              fastestLayer * 1e3, fastestLayer / fastestRaw);
}

void printRatios() {
  std::printf("\nLayer against raw sqlite3, fastest of 15 alternating rounds, thread CPU time:\n");
  printRatio(
      "insert (values as arguments)",
      [] {
        sqlite3* db = rawOpen();
        const double seconds = timed([&] { rawInsertAll(db); });
        sqlite3_close(db);
        return seconds;
      },
      [] {
        auto db = layerOpen();
        return timed([&] { layerInsertAll(*db); });
      });
  printRatio(
      "insert (values in a list)",
      [] {
        sqlite3* db = rawOpen();
        const double seconds = timed([&] { rawInsertAll(db); });
        sqlite3_close(db);
        return seconds;
      },
      [] {
        auto db = layerOpen();
        return timed([&] { layerInsertAllFromLists(*db); });
      });
  sqlite3* rawDb = rawOpen();
  rawInsertAll(rawDb);
  auto layerDb = layerOpen();
  layerInsertAll(*layerDb);
  printRatio(
      "read (typed columns)", [&] { return timed([&] { readRaw(rawDb); }); },
      [&] { return timed([&] { readLayer(*layerDb); }); });
  printRatio(
      "read (rows of stored values)", [&] { return timed([&] { readRaw(rawDb); }); },
      [&] { return timed([&] { readLayerBindings(*layerDb); }); });
  sqlite3_close(rawDb);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  printRatios();
  benchmark::Shutdown();
}
