#pragma once

namespace platform {

// The version of the desktop system the application believes it runs on. Code that behaves
// differently per system version asks `Environment::current()->systemVersion`; tests set it to
// reach every branch. Linux has no such number; the default, 13, is set at start and tests set
// others.
struct SystemVersion {
  int major = 13;
  int minor = 0;

  // True when this version is `major.minor` or later.
  constexpr bool isAtLeast(int wantedMajor, int wantedMinor = 0) const {
    return major != wantedMajor ? major > wantedMajor : minor >= wantedMinor;
  }
  bool operator==(const SystemVersion&) const = default;
};

}  // namespace platform
