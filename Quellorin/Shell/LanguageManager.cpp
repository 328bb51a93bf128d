#include "Quellorin/Shell/LanguageManager.h"

#include <filesystem>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Dispatch/NotificationCenter.h"

namespace quellorin {

LanguageManager::LanguageManager() : currentLanguage_(storedLanguage()) {
  platform::Bundle::setLanguage(currentLanguage_);
}

bool LanguageManager::setCurrentLanguage(const std::string& code) {
  if (!isLanguageCode(code)) {
    platform::log("[error] 不支持的语言代码：" + code);
    return false;
  }
  currentLanguage_ = code;
  objectDidChange();
  const auto environment = platform::Environment::current();
  environment->userDefaults->setString(languageKey, code);
  platform::Bundle::setLanguage(code);
  environment->notificationCenter->post(languageChanged);
  return true;
}

bool LanguageManager::isLanguageCode(std::string_view code) {
  if (code.empty() || code.size() > 16) return false;
  for (const char c : code) {
    const bool plain =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    if (!plain) return false;
  }
  std::error_code ignored;
  const auto folder = platform::Bundle::main()->bundlePath() / (std::string(code) + ".lproj");
  return std::filesystem::is_directory(folder, ignored);
}

std::string LanguageManager::storedLanguage() {
  const auto stored = platform::Environment::current()->userDefaults->string(languageKey);
  return stored && isLanguageCode(*stored) ? *stored : std::string(defaultLanguage);
}

}  // namespace quellorin
