#pragma once

// A fresh folder made with mkdtemp under `base` for the life of the object, removed with all it
// holds when the object goes. Header-only: the one temporary folder of the tests of every layer
// and of the benchmarks. It changes no environment variable; pair it with
// ScopedEnvironmentVariable to point HOME at it.

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace testsupport {

class TemporaryFolder {
 public:
  // Makes "<base>/<prefix>XXXXXX". Throws std::runtime_error when it cannot.
  explicit TemporaryFolder(std::string_view prefix,
                           const std::filesystem::path& base = std::filesystem::temp_directory_path()) {
    std::string pattern = (base / (std::string(prefix) + "XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed for " + pattern);
    path_ = pattern;
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The path of `name` inside the folder, as text.
  std::string file(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace testsupport
