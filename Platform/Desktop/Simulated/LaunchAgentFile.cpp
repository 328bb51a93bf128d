#include "Platform/Desktop/Simulated/LaunchAgentFile.h"

#include <fstream>
#include <system_error>

#include "Platform/Core/Paths.h"
#include "Platform/Text/MarkupEscaping.h"

namespace platform {

namespace {

constexpr std::string_view head =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n"
    "<dict>\n"
    "    <key>Label</key>\n"
    "    <string>com.tarvenix.Quellorin.launchagent</string>\n"
    "    <key>ProgramArguments</key>\n"
    "    <array>\n"
    "        <string>";

constexpr std::string_view tail =
    "</string>\n"
    "    </array>\n"
    "    <key>RunAtLoad</key>\n"
    "    <true/>\n"
    "    <key>KeepAlive</key>\n"
    "    <false/>\n"
    "    <key>LimitLoadToSessionType</key>\n"
    "    <string>Aqua</string>\n"
    "</dict>\n"
    "</plist>";

}  // namespace

std::filesystem::path LaunchAgentFile::path() const {
  return home_.value_or(homeDirectory()) / "Library" / "LaunchAgents" /
         "com.tarvenix.Quellorin.launchagent.plist";
}

std::string LaunchAgentFile::propertyListText(std::string_view executablePath) {
  std::string text(head);
  text += markupText(executablePath);
  text += tail;
  return text;
}

LaunchAtLogin::Outcome LaunchAgentFile::enable(const std::string& executablePath) {
  const auto target = path();
  std::error_code error;
  std::filesystem::create_directories(target.parent_path(), error);
  if (error) return {false, error.message()};
  auto temporary = target;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    const auto text = propertyListText(executablePath);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    if (!out) {
      out.close();
      std::filesystem::remove(temporary, error);
      return {false, "cannot write " + temporary.string()};
    }
  }
  std::filesystem::rename(temporary, target, error);
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return {false, error.message()};
  }
  return {true, {}};
}

LaunchAtLogin::Removal LaunchAgentFile::disable(std::string& error) {
  const auto target = path();
  std::error_code code;
  if (!std::filesystem::exists(target, code)) return Removal::wasAbsent;
  if (!std::filesystem::remove(target, code) || code) {
    error = code ? code.message() : "not removed";
    return Removal::failed;
  }
  return Removal::removed;
}

bool LaunchAgentFile::isEnabled() const {
  std::error_code code;
  return std::filesystem::is_regular_file(path(), code);
}

}  // namespace platform
