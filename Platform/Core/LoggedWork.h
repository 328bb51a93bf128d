#pragma once

#include <functional>
#include <string_view>

namespace platform {

// Runs `work` on the calling thread. An exception it throws goes no further: it is logged as
// "[error] <subject> threw: <what>" (or "[error] <subject> threw an unknown exception"). The
// queues run their work through it, so that one failing piece never stops the ones after it.
void performLogged(std::string_view subject, const std::function<void()>& work);

}  // namespace platform
