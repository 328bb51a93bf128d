#include "Platform/Core/Paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {
namespace {

// An XDG variable counts only when it holds an absolute path.
std::filesystem::path absoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return {};
  return value;
}

}  // namespace

std::filesystem::path homeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') return home;
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
    return entry->pw_dir;
  }
  return "/";
}

std::filesystem::path configDirectory() {
  auto configured = absoluteFromEnvironment("XDG_CONFIG_HOME");
  return configured.empty() ? homeDirectory() / ".config" : configured;
}

std::filesystem::path applicationConfigDirectory() { return configDirectory() / "quellorin"; }

std::filesystem::path documentsDirectory() {
  auto configured = absoluteFromEnvironment("XDG_DOCUMENTS_DIR");
  return configured.empty() ? homeDirectory() / "Documents" : configured;
}

}  // namespace platform
