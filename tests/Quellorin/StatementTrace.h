#pragma once

// Watches every statement the engine starts on connections opened while a StatementTrace
// lives (an auto-extension installs the trace on each new connection, so the store's opening
// is seen too). Each statement's SQL is recorded as written, with its "?" marks, and the
// process can be made to die by SIGKILL as statement number N starts.

#include <sqlite3.h>

#include <csignal>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace storetest {

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

}  // namespace storetest
