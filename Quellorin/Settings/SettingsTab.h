#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quellorin {

// The four pages of the settings window, in tab order.
enum class SettingsTab { general, appearance, applicationInfo, config };

// The stored raw values: "General", "Appearance", "applicationInfo", "Config".
std::string_view rawValue(SettingsTab tab);
// Exact, case-sensitive match against the raw values.
std::optional<SettingsTab> settingsTabFromRawValue(std::string_view raw);
// The tab's tag in the tab view: "general", "appearance", "applicationInfo", "config".
std::string_view tag(SettingsTab tab);
std::optional<SettingsTab> settingsTabFromTag(std::string_view tag);
// What a "ChangeSettingsTab" object selects: the text capitalised (each word's first letter
// upper case, the rest lower case), then matched against the raw values. "applicationInfo"
// selects nothing, since capitalising lowers its inner capital.
std::optional<SettingsTab> settingsTabForRequest(std::string_view text);

}  // namespace quellorin
