#include "Quellorin/Shell/SettingsOpener.h"

#include <utility>

#include "Platform/Core/Log.h"

namespace quellorin {

namespace {
SettingsOpener::Opener& installed() {
  static SettingsOpener::Opener opener;
  return opener;
}
}  // namespace

SettingsOpener::Opener SettingsOpener::install(Opener opener) {
  return std::exchange(installed(), std::move(opener));
}

void SettingsOpener::open() {
  if (const auto opener = installed()) {
    opener();
  } else {
    platform::log("[info] no settings window to open");
  }
}

}  // namespace quellorin
