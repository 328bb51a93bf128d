#include "Platform/Paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Sets an environment variable for the life of the object and restores it afterwards.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    if (value) setenv(name, value, 1); else unsetenv(name);
  }
  ~ScopedEnvironment() {
    if (previous_) setenv(name_, previous_->c_str(), 1); else unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

TEST(Paths, FollowHomeWhenXdgVariablesAreUnset) {
  ScopedEnvironment home("HOME", "/tmp/quellorin-home");
  ScopedEnvironment config("XDG_CONFIG_HOME", nullptr);
  ScopedEnvironment documents("XDG_DOCUMENTS_DIR", nullptr);
  EXPECT_EQ(platform::homeDirectory(), "/tmp/quellorin-home");
  EXPECT_EQ(platform::applicationConfigDirectory(), "/tmp/quellorin-home/.config/quellorin");
  EXPECT_EQ(platform::documentsDirectory(), "/tmp/quellorin-home/Documents");
}

TEST(Paths, XdgVariablesCountOnlyWhenAbsolute) {
  ScopedEnvironment home("HOME", "/tmp/h");
  ScopedEnvironment relative("XDG_CONFIG_HOME", "relative/config");
  EXPECT_EQ(platform::configDirectory(), "/tmp/h/.config");
  ScopedEnvironment absolute("XDG_CONFIG_HOME", "/tmp/c");
  EXPECT_EQ(platform::configDirectory(), "/tmp/c");
  ScopedEnvironment documents("XDG_DOCUMENTS_DIR", "/tmp/d");
  EXPECT_EQ(platform::documentsDirectory(), "/tmp/d");
}

}  // namespace
