#pragma once

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// Points HOME and XDG_CONFIG_HOME at a fresh temporary folder for the life of the object, then
// restores both and removes the folder.
class DefaultsTestHome {
 public:
  DefaultsTestHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quellorin-defaults-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    std::filesystem::create_directories(root_ / "home");
    replace("HOME", root_ / "home");
    replace("XDG_CONFIG_HOME", root_ / "config");
  }
  ~DefaultsTestHome() {
    for (auto& [name, previous] : saved_) {
      if (previous) ::setenv(name.c_str(), previous->c_str(), 1); else ::unsetenv(name.c_str());
    }
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  DefaultsTestHome(const DefaultsTestHome&) = delete;
  DefaultsTestHome& operator=(const DefaultsTestHome&) = delete;

  const std::filesystem::path& root() const { return root_; }

 private:
  void replace(const std::string& name, const std::filesystem::path& value) {
    const char* previous = ::getenv(name.c_str());
    saved_.emplace_back(name, previous ? std::optional<std::string>(previous) : std::nullopt);
    ::setenv(name.c_str(), value.c_str(), 1);
  }

  std::filesystem::path root_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};
