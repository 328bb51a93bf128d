#pragma once

namespace platform {

struct Environment;

// Gives `environment` a fresh simulated desktop: this process as the one running application,
// in front; no other application, no screen, no trust for accessibility, an empty pasteboard,
// and notifications not yet decided. Needs the environment's task pool.
void installSimulatedDesktop(Environment& environment);

}  // namespace platform
