#pragma once

struct sqlite3_mutex;

namespace sql {

// Holds one of the engine's mutexes from construction to destruction; a null mutex (an engine
// built without threads) makes this a no-op. A connection's mutex (sqlite3_db_mutex) is
// recursive: the engine calls made meanwhile re-enter it, and the values the engine hands out
// (sqlite3_column_value) stay protected while it is held.
class EngineMutexLock {
 public:
  explicit EngineMutexLock(sqlite3_mutex* mutex) noexcept;
  ~EngineMutexLock();
  EngineMutexLock(const EngineMutexLock&) = delete;
  EngineMutexLock& operator=(const EngineMutexLock&) = delete;

 private:
  sqlite3_mutex* mutex_;
};

}  // namespace sql
