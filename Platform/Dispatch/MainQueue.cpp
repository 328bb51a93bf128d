#include "Platform/Dispatch/MainQueue.h"

#include <algorithm>
#include <string>
#include <utility>

#include "Platform/Dispatch/Clock.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/LoggedWork.h"

namespace platform {
namespace {

constexpr std::chrono::nanoseconds kShortestTimerInterval = std::chrono::microseconds(100);

}  // namespace

bool MainQueue::LaterFirst::operator()(const Pending& a, const Pending& b) const {
  if (a.deadline != b.deadline) return a.deadline > b.deadline;
  return a.sequence > b.sequence;
}

MainQueue::MainQueue(std::shared_ptr<const Clock> clock)
    : clock_(std::move(clock)), mainThread_(std::this_thread::get_id()) {}

MainQueue::~MainQueue() {
  // Released outside the member so that a destructor of captured state may still schedule.
  std::vector<Pending> dropped;
  std::lock_guard lock(mutex_);
  dropped.swap(pending_);
}

void MainQueue::async(std::function<void()> work) { enqueueAt(clock_->monotonicTime(), std::move(work)); }

void MainQueue::async(std::shared_ptr<WorkItem> item) {
  async([item = std::move(item)] { item->perform(); });
}

void MainQueue::asyncAfter(double seconds, std::function<void()> work) {
  enqueueAt(clock_->monotonicTime() + durationFromSeconds(seconds), std::move(work));
}

void MainQueue::asyncAfter(double seconds, std::shared_ptr<WorkItem> item) {
  asyncAfter(seconds, [item = std::move(item)] { item->perform(); });
}

std::shared_ptr<Timer> MainQueue::scheduleTimer(double intervalSeconds, bool repeats, Timer::Tick tick) {
  const auto interval = std::max(durationFromSeconds(intervalSeconds), kShortestTimerInterval);
  std::shared_ptr<Timer> timer(new Timer(interval, repeats, std::move(tick)));
  scheduleTick(timer, clock_->monotonicTime() + interval);
  return timer;
}

void MainQueue::scheduleTick(std::shared_ptr<Timer> timer, std::chrono::nanoseconds deadline) {
  enqueueAt(deadline, [this, timer, deadline] {
    if (!timer->fire()) return;
    // The next tick keeps to the grid of whole intervals, skipping those already missed.
    const auto interval = timer->interval();
    const auto late = clock_->monotonicTime() - deadline;
    const auto missed = late.count() > 0 ? late / interval : 0;
    scheduleTick(timer, deadline + interval * (missed + 1));
  });
}

void MainQueue::enqueueAt(std::chrono::nanoseconds deadline, std::function<void()> work) {
  {
    std::lock_guard lock(mutex_);
    pending_.push_back(Pending{deadline, nextSequence_++, std::move(work)});
    std::push_heap(pending_.begin(), pending_.end(), LaterFirst{});
  }
  wakeUp_.notify_all();
  if (wake_) wake_();
}

bool MainQueue::isMainThread() const { return std::this_thread::get_id() == mainThread_.load(); }

void MainQueue::setForeignLoop(std::function<void(MainQueue&)> loop, std::function<void()> wake) {
  foreignLoop_ = std::move(loop);
  wake_ = std::move(wake);
}

bool MainQueue::takeStopRequest() {
  std::lock_guard lock(mutex_);
  return std::exchange(stopRequested_, false);
}

void MainQueue::run() {
  mainThread_ = std::this_thread::get_id();
  if (foreignLoop_) {
    foreignLoop_(*this);
    return;
  }
  std::unique_lock lock(mutex_);
  while (!stopRequested_) {
    if (pending_.empty()) {
      wakeUp_.wait(lock);
      continue;
    }
    const auto wait = pending_.front().deadline - clock_->monotonicTime();
    if (wait.count() > 0) {
      wakeUp_.wait_for(lock, wait);
      continue;
    }
    lock.unlock();
    runOneDue();
    lock.lock();
  }
  stopRequested_ = false;
}

void MainQueue::stop() {
  {
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
  }
  wakeUp_.notify_one();
  if (wake_) wake_();
}

bool MainQueue::stopRequested() const {
  std::lock_guard lock(mutex_);
  return stopRequested_;
}

std::optional<std::chrono::nanoseconds> MainQueue::nextDeadline() const {
  std::lock_guard lock(mutex_);
  if (pending_.empty()) return std::nullopt;
  return pending_.front().deadline;
}

std::optional<std::chrono::nanoseconds> MainQueue::timeUntilDue() const {
  std::lock_guard lock(mutex_);
  if (pending_.empty()) return std::nullopt;
  return std::max(pending_.front().deadline - clock_->monotonicTime(), std::chrono::nanoseconds(0));
}

bool MainQueue::waitForDueWork(std::chrono::nanoseconds limit) const {
  std::unique_lock lock(mutex_);
  return wakeUp_.wait_for(
      lock, limit, [&] { return !pending_.empty() && pending_.front().deadline <= clock_->monotonicTime(); });
}

bool MainQueue::runOneDue() {
  std::function<void()> work;
  {
    std::lock_guard lock(mutex_);
    if (pending_.empty() || pending_.front().deadline > clock_->monotonicTime()) return false;
    std::pop_heap(pending_.begin(), pending_.end(), LaterFirst{});
    work = std::move(pending_.back().work);
    pending_.pop_back();
  }
  performLogged("main queue work", work);
  return true;
}

std::shared_ptr<MainQueue> MainQueue::main() { return Environment::current()->mainQueue; }

}  // namespace platform
