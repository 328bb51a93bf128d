#include "Quellorin/Services/PoolContinuation.h"

#include <memory>
#include <utility>

#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/TaskPool.h"

namespace quellorin {

void continueOnPoolAfter(double seconds, std::function<void()> work) {
  std::weak_ptr<platform::TaskPool> pool = platform::TaskPool::shared();
  platform::MainQueue::main()->asyncAfter(seconds, [pool, work = std::move(work)]() mutable {
    if (const auto alive = pool.lock()) alive->async(std::move(work));
  });
}

}  // namespace quellorin
