#include "SQLite/SerialQueue.h"

namespace sql {

SerialQueue::SerialQueue()
    : ownMutex_(sqlite3_mutex_alloc(SQLITE_MUTEX_RECURSIVE)), mutex_(ownMutex_.get()) {}

}  // namespace sql
