#include "SQLite/SerialQueue.h"

#include "SQLite/Connection.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <future>
#include <stdexcept>
#include <thread>

namespace {

TEST(SerialQueue, NestedWorkRunsInPlace) {
  sql::SerialQueue queue;
  EXPECT_FALSE(queue.isCurrent());
  const int result = queue.sync([&] {
    EXPECT_TRUE(queue.isCurrent());
    return queue.sync([&] { return queue.sync([] { return 7; }); });
  });
  EXPECT_EQ(result, 7);
  EXPECT_FALSE(queue.isCurrent());
}

TEST(SerialQueue, AQueueEnteredUnderAnotherStaysCurrent) {
  sql::SerialQueue a, b;
  a.sync([&] {
    b.sync([&] {
      EXPECT_TRUE(a.isCurrent());
      EXPECT_TRUE(b.isCurrent());
      a.sync([] {});  // would dead-lock if only the innermost queue counted
    });
    EXPECT_FALSE(b.isCurrent());
  });
}

TEST(SerialQueue, ExceptionsPassThroughAndLeaveTheQueueFree) {
  sql::SerialQueue queue;
  EXPECT_THROW(queue.sync([]() -> int { throw std::runtime_error("x"); }), std::runtime_error);
  EXPECT_FALSE(queue.isCurrent());
  EXPECT_EQ(queue.sync([] { return 1; }), 1);
}

TEST(SerialQueue, WorkFromAnotherThreadWaitsForTheRunningWork) {
  sql::SerialQueue queue;
  std::promise<void> entered, release;
  std::vector<int> order;
  std::thread first([&] {
    queue.sync([&] {
      entered.set_value();
      release.get_future().wait();
      order.push_back(1);
    });
  });
  entered.get_future().wait();
  std::thread second([&] {
    EXPECT_FALSE(queue.isCurrent());
    queue.sync([&] { order.push_back(2); });
  });
  release.set_value();
  first.join();
  second.join();
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

// Work on a connection's queue and the engine calls made outside it exclude each other: while
// one thread runs work on the queue, the engine's connection mutex is taken.
TEST(SerialQueue, AConnectionsQueueHoldsTheEnginesConnectionMutex) {
  auto db = sql::Connection::open(sql::Location::inMemory());
  sqlite3_mutex* engineMutex = sqlite3_db_mutex(db->handle());
  ASSERT_NE(engineMutex, nullptr);
  std::promise<void> entered, release;
  std::thread worker([&] {
    db->sync([&] {
      entered.set_value();
      release.get_future().wait();
    });
  });
  entered.get_future().wait();
  EXPECT_EQ(sqlite3_mutex_try(engineMutex), SQLITE_BUSY);
  release.set_value();
  worker.join();
  ASSERT_EQ(sqlite3_mutex_try(engineMutex), SQLITE_OK);
  sqlite3_mutex_leave(engineMutex);
}

}  // namespace
