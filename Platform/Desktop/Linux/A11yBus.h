#pragma once

#include <optional>

namespace platform::a11ybus {

// `org.a11y.Status.IsEnabled` of the session's accessibility bus launcher; none when the bus does
// not answer within a second. Any thread.
std::optional<bool> isEnabled();
// Sets it; answers whether the bus took it. Any thread.
bool setEnabled(bool enabled);

}  // namespace platform::a11ybus
