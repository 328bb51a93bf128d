#include "SQLite/EngineMutexLock.h"

#include <sqlite3.h>

namespace sql {

EngineMutexLock::EngineMutexLock(sqlite3_mutex* mutex) noexcept : mutex_(mutex) {
  sqlite3_mutex_enter(mutex_);
}

EngineMutexLock::~EngineMutexLock() { sqlite3_mutex_leave(mutex_); }

}  // namespace sql
