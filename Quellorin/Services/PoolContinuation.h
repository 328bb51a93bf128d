#pragma once

#include <functional>

namespace quellorin {

// Runs `work` on the task pool `seconds` from now (on the main queue's clock), holding no
// thread meanwhile: the main queue hands it to the pool when it is due. Both come from the
// installed environment at the time of the call.
void continueOnPoolAfter(double seconds, std::function<void()> work);

}  // namespace quellorin
