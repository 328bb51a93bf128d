#pragma once

// Watches every statement the engine starts on connections opened while a StatementTrace
// lives (an auto-extension installs the trace on each new connection, so the store's opening
// is seen too). Each statement's SQL is recorded as written, with its "?" marks, and the
// process can be made to die by SIGKILL as statement number N starts.

#include <sqlite3.h>

#include <csignal>
#include <mutex>
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
    state().killAt = killAtStatement;
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(&install));
  }
  ~StatementTrace() { sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&install)); }
  StatementTrace(const StatementTrace&) = delete;
  StatementTrace& operator=(const StatementTrace&) = delete;

  std::vector<std::string> statements() const {
    std::lock_guard lock(state().mutex);
    return state().statements;
  }

 private:
  struct State {
    std::mutex mutex;
    std::vector<std::string> statements;
    int killAt = 0;
  };
  static State& state() {
    static State shared;
    return shared;
  }

  static int install(sqlite3* db, char**, const sqlite3_api_routines*) {
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT, &traced, nullptr);
    return SQLITE_OK;
  }

  static int traced(unsigned, void*, void* statement, void*) {
    std::lock_guard lock(state().mutex);
    state().statements.emplace_back(sqlite3_sql(static_cast<sqlite3_stmt*>(statement)));
    if (static_cast<int>(state().statements.size()) == state().killAt) std::raise(SIGKILL);
    return 0;
  }
};

}  // namespace storetest
