#include "Quellorin/Settings/SettingsTab.h"

#include <array>
#include <cctype>
#include <utility>

namespace quellorin {

namespace {

struct Entry {
  SettingsTab tab;
  std::string_view raw;
  std::string_view tag;
};

constexpr std::array<Entry, 4> entries{{
    {SettingsTab::general, "General", "general"},
    {SettingsTab::appearance, "Appearance", "appearance"},
    {SettingsTab::applicationInfo, "applicationInfo", "applicationInfo"},
    {SettingsTab::config, "Config", "config"},
}};

}  // namespace

std::string_view rawValue(SettingsTab tab) { return entries[static_cast<std::size_t>(tab)].raw; }

std::string_view tag(SettingsTab tab) { return entries[static_cast<std::size_t>(tab)].tag; }

std::optional<SettingsTab> settingsTabFromRawValue(std::string_view raw) {
  for (const auto& entry : entries) {
    if (entry.raw == raw) return entry.tab;
  }
  return std::nullopt;
}

std::optional<SettingsTab> settingsTabFromTag(std::string_view value) {
  for (const auto& entry : entries) {
    if (entry.tag == value) return entry.tab;
  }
  return std::nullopt;
}

std::optional<SettingsTab> settingsTabForRequest(std::string_view text) {
  // ASCII capitalisation: every tab name is ASCII, so other bytes can never make a match.
  std::string capitalised;
  capitalised.reserve(text.size());
  bool wordStart = true;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalpha(byte)) {
      capitalised += static_cast<char>(wordStart ? std::toupper(byte) : std::tolower(byte));
      wordStart = false;
    } else {
      capitalised += c;
      wordStart = !std::isdigit(byte);
    }
  }
  return settingsTabFromRawValue(capitalised);
}

}  // namespace quellorin
