#pragma once

#include "Platform/Core/StringsTable.h"

#include <nlohmann/json_fwd.hpp>

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A folder of resources, laid out as the desktop lays out an application's resources: files at
// the root, and one "<code>.lproj" folder per language holding that language's resources and
// string tables ("<table>.strings", "Localizable" by default). "Info.json" at the root, when
// present, is the bundle's information dictionary (identifier, version, executable name).
//
// The main bundle is the application's resources folder. Its texts come from the localisation
// that the user's language preferences pick (the LANGUAGE, LC_ALL, LC_MESSAGES and LANG
// variables, else "en") until setLanguage() redirects every lookup to one language's folder.
//
// Thread-safe: lookups may run on any thread while another redirects the bundle. String tables
// are read on first use and kept for the life of the bundle; problems in a table are logged once.
class Bundle {
 public:
  // A bundle rooted at `root`. `preferredLanguages` are codes such as "fr_FR" or "zh", best first.
  explicit Bundle(std::filesystem::path root,
                  std::vector<std::string> preferredLanguages = preferredLanguagesFromEnvironment());

  ~Bundle();
  Bundle(const Bundle&) = delete;
  Bundle& operator=(const Bundle&) = delete;

  // The bundle at `folder`, or nullptr when `folder` is not a folder.
  static std::shared_ptr<Bundle> open(
      const std::filesystem::path& folder,
      std::vector<std::string> preferredLanguages = preferredLanguagesFromEnvironment());

  // The process-wide main bundle, rooted at resourcesDirectory() when first asked for (a missing
  // folder is logged; lookups then give their keys).
  static std::shared_ptr<Bundle> main();
  // Installs `bundle` as the main bundle (tests install their own) and returns the previous one.
  static std::shared_ptr<Bundle> replaceMain(std::shared_ptr<Bundle> bundle);

  // The application's resources folder: $QUELLORIN_RESOURCES when set, else the Resources folder
  // of the source tree this program was built from.
  static std::filesystem::path resourcesDirectory();

  // Language codes from the environment, best first; "C" and "POSIX" are not languages.
  static std::vector<std::string> preferredLanguagesFromEnvironment();

  // Redirects the main bundle's lookups to the folder of `code` (see redirectToLanguage).
  static void setLanguage(std::string_view code);

  const std::filesystem::path& bundlePath() const { return root_; }
  // Where the resources are: the root itself, since the bundle is flat.
  const std::filesystem::path& resourcePath() const { return root_; }

  // The JSON object in "Info.json", read on first use; an empty object when the file is missing,
  // or when it is not a JSON object (logged once).
  const nlohmann::json& infoDictionary() const;
  // The value of `key` in the information dictionary, or nullptr.
  const nlohmann::json* object(std::string_view forInfoDictionaryKey) const;
  // "CFBundleIdentifier" of the information dictionary when it is a text.
  std::optional<std::string> bundleIdentifier() const;

  // The file "<name>.<type>" ("<name>" when `type` is empty) in `subdirectory` of the bundle,
  // looked for at the root first, then in the folder of the preferred localisation; folders count
  // too. nullopt when there is none, or when a part would leave the bundle ("..", a "/" in name or
  // type, an absolute subdirectory).
  std::optional<std::filesystem::path> path(std::string_view name, std::string_view type,
                                            std::string_view subdirectory = {}) const;

  // The text of `key` in `table` ("Localizable" when absent or empty): from the attached language
  // bundle when there is one, otherwise from the preferred localisation's table, then the root's.
  // A key found nowhere gives `value` when that is present and not empty, else the key itself.
  std::string localizedString(std::string_view key, std::optional<std::string_view> value = std::nullopt,
                              std::optional<std::string_view> table = std::nullopt) const;

  // Attaches the bundle at this bundle's "<code>.lproj" folder, so that every later lookup comes
  // from it, and returns true. When there is no such folder, clears any attachment (lookups follow
  // the language preferences again) and returns false.
  bool redirectToLanguage(std::string_view code);

  // The attached language bundle, or nullptr.
  std::shared_ptr<const Bundle> languageBundle() const;

  // The localisation that the language preferences pick among this bundle's ".lproj" folders
  // ("en" when none matches and an "en" folder exists), or an empty text when there is none.
  const std::string& preferredLocalization() const { return localization_; }

 private:
  std::optional<std::string> lookUp(std::string_view key, std::string_view table) const;
  const StringsTable* table(const std::filesystem::path& file) const;

  const std::filesystem::path root_;
  const std::string localization_;

  mutable std::mutex mutex_;
  std::shared_ptr<const Bundle> languageBundle_;
  mutable std::map<std::filesystem::path, std::optional<StringsTable>> tables_;
  mutable std::unique_ptr<const nlohmann::json> infoDictionary_;
};

// The text of `key` in the main bundle's default table, the key itself when it has none: what
// every interface text of the application goes through.
std::string localizedString(std::string_view key);

}  // namespace platform
