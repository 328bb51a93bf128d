#pragma once

#include <string>
#include <string_view>

#include "UI/Node.h"

namespace quellorin {

// The interface language: the code stored under "Language" ("zh" when absent), to which every
// interface text lookup of the main bundle is redirected. Views that hold it as an environment
// object re-render when it changes.
//
// Only codes that name a language folder of the resources ("en", "zh", "jp", "fr") are taken:
// any other text (a path such as "../x", an unknown code) is refused whole, so it never reaches
// the store or the resource lookup.
//
// Main queue only.
class LanguageManager : public ui::ObservableObject {
 public:
  static constexpr const char* languageChanged = "languageChanged";
  static constexpr const char* languageKey = "Language";
  static constexpr const char* defaultLanguage = "zh";

  // Reads the stored code (a refused one counts as absent) and redirects the lookups to it;
  // writes and posts nothing.
  LanguageManager();

  const std::string& currentLanguage() const { return currentLanguage_; }
  // Stores `code`, redirects the lookups to its folder and posts "languageChanged", also when
  // it is the present code. Answers false, and changes nothing, for a refused code.
  bool setCurrentLanguage(const std::string& code);

  // Whether `code` names a language folder of the main bundle: a plain name of letters, digits,
  // "_" or "-" with a "<code>.lproj" folder at the bundle's root.
  static bool isLanguageCode(std::string_view code);
  // The stored code when it is one, else the default.
  static std::string storedLanguage();

 private:
  std::string currentLanguage_;
};

}  // namespace quellorin
