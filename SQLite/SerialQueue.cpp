#include "SQLite/SerialQueue.h"

#include <sqlite3.h>

namespace sql {

void SerialQueue::FreeMutex::operator()(sqlite3_mutex* mutex) const noexcept { sqlite3_mutex_free(mutex); }

SerialQueue::SerialQueue()
    : ownMutex_(sqlite3_mutex_alloc(SQLITE_MUTEX_RECURSIVE)), mutex_(ownMutex_.get()) {}

}  // namespace sql
