#pragma once

// Sets or clears one environment variable for the life of the object and puts the previous
// state back when it goes. Header-only: shared by the test executables of several layers.
// setenv is not thread-safe: use it only where no other thread reads the environment.

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

namespace testsupport {

class ScopedEnvironmentVariable {
 public:
  // A null `value` clears the variable.
  ScopedEnvironmentVariable(std::string name, const char* value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) previous_ = old;
    if (value) {
      ::setenv(name_.c_str(), value, 1);
    } else {
      ::unsetenv(name_.c_str());
    }
  }
  ~ScopedEnvironmentVariable() {
    if (previous_) {
      ::setenv(name_.c_str(), previous_->c_str(), 1);
    } else {
      ::unsetenv(name_.c_str());
    }
  }
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
  ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

}  // namespace testsupport
