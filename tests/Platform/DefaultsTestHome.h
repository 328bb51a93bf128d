#pragma once

#include <filesystem>

#include "tests/support/ScopedEnvironmentVariable.h"
#include "tests/support/TemporaryFolder.h"

// Points HOME and XDG_CONFIG_HOME at a fresh temporary folder for the life of the object, then
// restores both and removes the folder.
class DefaultsTestHome {
 public:
  DefaultsTestHome() { std::filesystem::create_directories(root() / "home"); }

  DefaultsTestHome(const DefaultsTestHome&) = delete;
  DefaultsTestHome& operator=(const DefaultsTestHome&) = delete;

  const std::filesystem::path& root() const { return folder_.path(); }

 private:
  // Declared first: the folder outlives the variables that point into it.
  testsupport::TemporaryFolder folder_{"quellorin-defaults-"};
  testsupport::ScopedEnvironmentVariable home_{"HOME", (root() / "home").c_str()};
  testsupport::ScopedEnvironmentVariable config_{"XDG_CONFIG_HOME", (root() / "config").c_str()};
};
