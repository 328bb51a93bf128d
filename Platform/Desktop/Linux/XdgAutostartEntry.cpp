#include "Platform/Desktop/Linux/XdgAutostartEntry.h"

#include <sys/stat.h>

#include <system_error>

#include "Platform/Core/AtomicFile.h"
#include "Platform/Core/Paths.h"

namespace platform {

std::string XdgAutostartEntry::execArgument(std::string_view path) {
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
    // Field codes start with '%'; a literal one is doubled, inside quotes too.
    if (c == '%') quoted += '%';
  }
  quoted += '"';
  // The key's value is read as a string first: its own escapes come back out before the
  // argument is split, so they are applied last.
  std::string value;
  for (char c : quoted) {
    switch (c) {
      case '\\':
        value += "\\\\";
        break;
      case '\n':
        value += "\\n";
        break;
      case '\t':
        value += "\\t";
        break;
      case '\r':
        value += "\\r";
        break;
      default:
        value += c;
    }
  }
  return value;
}

std::string XdgAutostartEntry::entryText(std::string_view program) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Quellorin\n"
         "Comment=Writing assistant in the menu bar\n"
         "Exec=" +
         execArgument(program) +
         "\n"
         "Terminal=false\n"
         "NoDisplay=true\n"
         "X-GNOME-Autostart-enabled=true\n";
}

std::filesystem::path XdgAutostartEntry::path() const {
  return options_.configHome.value_or(configDirectory()) / "autostart" / std::string(fileName);
}

LaunchAtLogin::Outcome XdgAutostartEntry::enable(const std::string& executablePath) {
  const std::string program = options_.program.value_or(executablePath);
  if (program.empty()) return {false, "the program to start is not known"};
  const auto target = path();
  std::error_code error;
  std::filesystem::create_directories(target.parent_path(), error);
  if (error) return {false, target.parent_path().string() + ": " + error.message()};
  try {
    writeFileAtomically(target, entryText(program), S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH);
  } catch (const std::system_error& failure) {
    return {false, failure.what()};
  }
  return {true, {}};
}

LaunchAtLogin::Removal XdgAutostartEntry::disable(std::string& error) {
  const auto target = path();
  std::error_code code;
  if (!std::filesystem::exists(std::filesystem::symlink_status(target, code))) return Removal::wasAbsent;
  if (!std::filesystem::remove(target, code) || code) {
    error = target.string() + ": " + (code ? code.message() : "not removed");
    return Removal::failed;
  }
  return Removal::removed;
}

bool XdgAutostartEntry::isEnabled() const {
  std::error_code code;
  return std::filesystem::is_regular_file(path(), code);
}

std::string runningExecutablePath() {
  std::error_code error;
  const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : program.string();
}

}  // namespace platform
