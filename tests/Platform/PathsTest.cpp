#include "Platform/Core/Paths.h"

#include "tests/support/ScopedEnvironmentVariable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using testsupport::ScopedEnvironmentVariable;

TEST(Paths, FollowHomeWhenXdgVariablesAreUnset) {
  ScopedEnvironmentVariable home("HOME", "/tmp/quellorin-home");
  ScopedEnvironmentVariable config("XDG_CONFIG_HOME", nullptr);
  ScopedEnvironmentVariable documents("XDG_DOCUMENTS_DIR", nullptr);
  EXPECT_EQ(platform::homeDirectory(), "/tmp/quellorin-home");
  EXPECT_EQ(platform::applicationConfigDirectory(), "/tmp/quellorin-home/.config/quellorin");
  EXPECT_EQ(platform::documentsDirectory(), "/tmp/quellorin-home/Documents");
}

TEST(Paths, XdgVariablesCountOnlyWhenAbsolute) {
  ScopedEnvironmentVariable home("HOME", "/tmp/h");
  ScopedEnvironmentVariable relative("XDG_CONFIG_HOME", "relative/config");
  EXPECT_EQ(platform::configDirectory(), "/tmp/h/.config");
  ScopedEnvironmentVariable absolute("XDG_CONFIG_HOME", "/tmp/c");
  EXPECT_EQ(platform::configDirectory(), "/tmp/c");
  ScopedEnvironmentVariable documents("XDG_DOCUMENTS_DIR", "/tmp/d");
  EXPECT_EQ(platform::documentsDirectory(), "/tmp/d");
}

}  // namespace
