#pragma once

#include <stdexcept>

namespace quellorin::settings_access {

// Why the selector road to the settings failed.
enum class LegacyOpenSettingsError { unsupportedPlatform, selectorNotFound };

// Why calling OpenSettingsAccessAction failed.
enum class OpenSettingsError { unsupportedPlatform, selectorNotFound, settingsLinkNotConnected };

// The exceptions that carry them.
struct LegacyOpenSettingsFailure : std::runtime_error {
  explicit LegacyOpenSettingsFailure(LegacyOpenSettingsError value)
      : std::runtime_error("the settings could not be opened by selector"), error(value) {}
  LegacyOpenSettingsError error;
};

struct OpenSettingsFailure : std::runtime_error {
  explicit OpenSettingsFailure(OpenSettingsError value)
      : std::runtime_error("the settings could not be opened"), error(value) {}
  OpenSettingsError error;
};

}  // namespace quellorin::settings_access
