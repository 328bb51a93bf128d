// The user-defaults store: reads per second, writes per second, and the cost of one write
// against the baseline, a plain atomic file write of the same bytes.
//
// Both the store and the baseline make a write last: temporary file, write, fsync, close,
// rename, fsync of the folder. The baseline does exactly these system calls on bytes encoded
// once beforehand, so the ratio store / baseline is what the store adds on top of the disk:
// encoding the whole store, the UTF-8 check, locking, change detection. A baseline without
// the two fsyncs is listed too, to show how much of either cost is the disk.
//
// Run: build/bench/bench_user_defaults (the files go to $TMPDIR, or /tmp).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "Platform/Defaults/DefaultsCoding.h"
#include "Platform/Defaults/UserDefaults.h"
#include "tests/support/TemporaryFolder.h"

namespace {

using platform::UserDefaults;

// The settings a signed-in user's store holds.
void fillWithTypicalSettings(UserDefaults& defaults) {
  defaults.setString("GlobalShortcut", "⌘ + ⇧ + ␣");
  defaults.setString("SpecialKeyFeatureStatus", "EN");
  defaults.setString("SessionToken", std::string(180, 't'));
  defaults.setString("userId", "6f1c2a9e-3b4d-4e5f-8a7b-9c0d1e2f3a4b");
  defaults.setString("DeviceIdentifier", "C02XK0AAJGH5");
  defaults.setInteger("currentPipelineId", 3);
  defaults.setString("selectedPipeline", "润色");
  defaults.setString("pipelineName", "润色");
  defaults.setString("Language", "zh");
  defaults.setString("Appearance", "system");
  defaults.setInteger("apiUsageCount", 0);
  defaults.setString("maxFastCount", "100");
  defaults.setInteger("maxSubCount", 500);
  defaults.setInteger("qualityCount", 12);
  defaults.setString("username", "未设置");
  defaults.setString("email", "someone@example.com");
  defaults.setInteger("tokenExpireAt", 1'765'000'000'000);
  defaults.setString("viewRefreshId", "1B4E28BA-2FA1-11D2-883F-0016D3CCA427");
  defaults.setJSON("subscriptionVersion", {{"tier", "pro"}, {"renews", true}});
  defaults.setString("periodEndsAt", "2026-12-31T00:00:00Z");
  defaults.setBool("isLoggedIn", true);
  defaults.setBool("hasSeenOnboarding", true);
  defaults.setBool("isFirstLaunch", false);
  defaults.setBool("LaunchAtStartup", false);
  defaults.setBool("isFeatureEnabled", true);
}

// One store per benchmark, on a file in its own folder.
struct FileStore {
  testsupport::TemporaryFolder folder{"quellorin-bench-"};
  std::shared_ptr<UserDefaults> defaults = UserDefaults::openFile(folder.path() / "user-defaults.json");
  FileStore() { fillWithTypicalSettings(*defaults); }
};

void BM_ReadText(benchmark::State& state) {
  // Shared by the threads: the first one makes it before they all start, and drops it after.
  static std::unique_ptr<FileStore> store;
  if (state.thread_index() == 0) store = std::make_unique<FileStore>();
  for (auto _ : state) benchmark::DoNotOptimize(store->defaults->string("GlobalShortcut"));
  state.SetItemsProcessed(state.iterations());
  if (state.thread_index() == 0) store.reset();
}
BENCHMARK(BM_ReadText)->Threads(1)->Threads(4)->UseRealTime();

void BM_ReadInteger(benchmark::State& state) {
  FileStore store;
  for (auto _ : state) benchmark::DoNotOptimize(store.defaults->integer("currentPipelineId"));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadInteger);

void BM_ReadAbsentBool(benchmark::State& state) {
  FileStore store;
  for (auto _ : state) benchmark::DoNotOptimize(store.defaults->bool_("isSpecialKeyFeatureEnabled"));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadAbsentBool);

// Every iteration is a change, so every iteration rewrites the file.
void BM_WriteToFile(benchmark::State& state) {
  FileStore store;
  std::int64_t count = 0;
  for (auto _ : state) store.defaults->setInteger("apiUsageCount", ++count);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteToFile)->UseRealTime();

// The store's own work for a change, without the file.
void BM_WriteInMemory(benchmark::State& state) {
  auto defaults = UserDefaults::inMemory();
  fillWithTypicalSettings(*defaults);
  std::int64_t count = 0;
  for (auto _ : state) defaults->setInteger("apiUsageCount", ++count);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteInMemory);

// The baseline: the bytes the store writes, written with the same system calls.
void plainAtomicWrite(const std::filesystem::path& path, const std::string& bytes, bool flush) {
  auto temporary = path;
  temporary += ".tmp";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
    throw std::runtime_error("baseline write failed");
  }
  if (flush) ::fsync(fd);
  ::close(fd);
  if (::rename(temporary.c_str(), path.c_str()) != 0) throw std::runtime_error("baseline rename failed");
  if (flush) {
    const int folder = ::open(path.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::fsync(folder);
    ::close(folder);
  }
}

void baseline(benchmark::State& state, bool flush) {
  FileStore store;
  const std::string bytes = platform::encodeDefaults(store.defaults->dictionaryRepresentation());
  const auto path = store.folder.path() / "baseline.json";
  for (auto _ : state) plainAtomicWrite(path, bytes, flush);
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

void BM_BaselineRenameWriteWithFsync(benchmark::State& state) { baseline(state, true); }
BENCHMARK(BM_BaselineRenameWriteWithFsync)->UseRealTime();

void BM_BaselineRenameWriteWithoutFsync(benchmark::State& state) { baseline(state, false); }
BENCHMARK(BM_BaselineRenameWriteWithoutFsync)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
