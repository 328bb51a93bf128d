#pragma once

#include <sqlite3.h>

namespace sql {

// Holds a connection's own engine mutex from construction to destruction. The mutex is
// recursive, so the engine calls made meanwhile re-enter it cheaply instead of taking it
// afresh, and values the engine hands out (sqlite3_column_value) stay protected while it is
// held. A connection opened without a mutex gives a null one, which makes this a no-op.
class ConnectionMutexLock {
 public:
  explicit ConnectionMutexLock(sqlite3* connection) noexcept : mutex_(sqlite3_db_mutex(connection)) {
    sqlite3_mutex_enter(mutex_);
  }
  ~ConnectionMutexLock() { sqlite3_mutex_leave(mutex_); }
  ConnectionMutexLock(const ConnectionMutexLock&) = delete;
  ConnectionMutexLock& operator=(const ConnectionMutexLock&) = delete;

 private:
  sqlite3_mutex* mutex_;
};

}  // namespace sql
