#include "Platform/Core/Bundle.h"

#include "Platform/Core/Log.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <system_error>
#include <utility>

#ifndef QUELLORIN_RESOURCES_DIR
#error "QUELLORIN_RESOURCES_DIR must name the source tree's Resources folder"
#endif

namespace platform {
namespace {

constexpr std::string_view kDefaultTable = "Localizable";
constexpr std::string_view kInfoDictionaryFile = "Info.json";
constexpr std::string_view kDevelopmentLocalization = "en";

bool isDirectory(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

bool pathExists(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

// A file or folder name that stays where it is put: no separator, no NUL, not "." or "..".
bool isPlainName(std::string_view name) {
  return name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

// A relative path of plain names ("" is the bundle's root).
bool isPlainRelativePath(std::string_view subdirectory) {
  if (subdirectory.empty()) return true;
  if (subdirectory.front() == '/' || subdirectory.find('\0') != std::string_view::npos) return false;
  for (const auto& part : std::filesystem::path(subdirectory)) {
    if (part == "..") return false;
  }
  return true;
}

// "fr_FR.UTF-8@euro" -> "fr_FR"; "C" and "POSIX" -> "".
std::string languageCodeOf(std::string_view locale) {
  locale = locale.substr(0, locale.find_first_of(".@"));
  if (locale == "C" || locale == "POSIX") return {};
  return std::string(locale);
}

// The folder names a preferred language may have: "zh_CN" -> "zh_CN", "zh-CN", "zh".
std::vector<std::string> folderCandidates(const std::string& code) {
  std::vector<std::string> candidates{code};
  const std::size_t separator = code.find_first_of("_-");
  if (separator != std::string::npos) {
    std::string hyphenated = code;
    hyphenated[separator] = '-';
    candidates.push_back(hyphenated);
    candidates.push_back(code.substr(0, separator));
  }
  return candidates;
}

std::string chooseLocalization(const std::filesystem::path& root, const std::vector<std::string>& preferred) {
  for (const std::string& code : preferred) {
    for (const std::string& candidate : folderCandidates(code)) {
      if (isPlainName(candidate) && isDirectory(root / (candidate + ".lproj"))) return candidate;
    }
  }
  if (isDirectory(root / (std::string(kDevelopmentLocalization) + ".lproj"))) {
    return std::string(kDevelopmentLocalization);
  }
  return {};
}

std::mutex& mainBundleMutex() {
  static std::mutex mutex;
  return mutex;
}

// The JSON object in `file`; an empty object when the file is missing or holds anything else.
nlohmann::json readInfoDictionary(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return nlohmann::json::object();
  nlohmann::json dictionary = nlohmann::json::parse(in, nullptr, /*allow_exceptions=*/false);
  if (!dictionary.is_object()) {
    log("[error] " + file.string() + " is not a JSON object; the bundle has no information dictionary");
    return nlohmann::json::object();
  }
  return dictionary;
}

std::shared_ptr<Bundle>& mainBundleSlot() {
  static std::shared_ptr<Bundle> bundle;
  return bundle;
}

}  // namespace

Bundle::Bundle(std::filesystem::path root, std::vector<std::string> preferredLanguages)
    : root_(std::move(root)), localization_(chooseLocalization(root_, preferredLanguages)) {}

// Defined here, where the information dictionary's JSON type is complete.
Bundle::~Bundle() = default;

std::shared_ptr<Bundle> Bundle::open(const std::filesystem::path& folder,
                                     std::vector<std::string> preferredLanguages) {
  if (!isDirectory(folder)) return nullptr;
  return std::make_shared<Bundle>(folder, std::move(preferredLanguages));
}

std::shared_ptr<Bundle> Bundle::main() {
  std::lock_guard lock(mainBundleMutex());
  auto& bundle = mainBundleSlot();
  if (!bundle) {
    const std::filesystem::path resources = resourcesDirectory();
    if (!isDirectory(resources)) {
      log("[error] resources folder " + resources.string() + " not found; interface texts show their keys");
    }
    bundle = std::make_shared<Bundle>(resources);
  }
  return bundle;
}

std::shared_ptr<Bundle> Bundle::replaceMain(std::shared_ptr<Bundle> bundle) {
  std::lock_guard lock(mainBundleMutex());
  return std::exchange(mainBundleSlot(), std::move(bundle));
}

std::filesystem::path Bundle::resourcesDirectory() {
  if (const char* configured = std::getenv("QUELLORIN_RESOURCES"); configured && configured[0] != '\0') {
    return configured;
  }
  return QUELLORIN_RESOURCES_DIR;
}

std::vector<std::string> Bundle::preferredLanguagesFromEnvironment() {
  std::vector<std::string> languages;
  auto add = [&](std::string_view locale) {
    if (std::string code = languageCodeOf(locale); !code.empty()) languages.push_back(std::move(code));
  };
  if (const char* list = std::getenv("LANGUAGE")) {
    std::string_view rest = list;
    for (std::size_t colon = rest.find(':'); colon != std::string_view::npos; colon = rest.find(':')) {
      add(rest.substr(0, colon));
      rest.remove_prefix(colon + 1);
    }
    add(rest);
  }
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    if (const char* locale = std::getenv(name)) add(locale);
  }
  return languages;
}

void Bundle::setLanguage(std::string_view code) { main()->redirectToLanguage(code); }

std::optional<std::filesystem::path> Bundle::path(std::string_view name, std::string_view type,
                                                  std::string_view subdirectory) const {
  if (name.empty() || !isPlainName(name) || !isPlainName(type) || !isPlainRelativePath(subdirectory)) {
    return std::nullopt;
  }
  std::string file(name);
  if (!type.empty()) file.append(".").append(type);
  std::vector<std::filesystem::path> places{root_ / subdirectory / file};
  if (!localization_.empty()) places.push_back(root_ / (localization_ + ".lproj") / subdirectory / file);
  for (const auto& place : places) {
    if (pathExists(place)) return place.lexically_normal();
  }
  return std::nullopt;
}

std::string Bundle::localizedString(std::string_view key, std::optional<std::string_view> value,
                                    std::optional<std::string_view> table) const {
  if (const auto attached = languageBundle()) return attached->localizedString(key, value, table);
  const std::string_view tableName = table && !table->empty() ? *table : kDefaultTable;
  if (auto found = lookUp(key, tableName)) return std::move(*found);
  if (value && !value->empty()) return std::string(*value);
  return std::string(key);
}

std::optional<std::string> Bundle::lookUp(std::string_view key, std::string_view tableName) const {
  if (!isPlainName(tableName)) return std::nullopt;
  const std::string file = std::string(tableName) + ".strings";
  std::vector<std::filesystem::path> places;
  if (!localization_.empty()) places.push_back(root_ / (localization_ + ".lproj") / file);
  places.push_back(root_ / file);
  for (const auto& place : places) {
    if (const StringsTable* strings = this->table(place)) {
      if (const std::string* text = strings->find(key)) return *text;
    }
  }
  return std::nullopt;
}

const StringsTable* Bundle::table(const std::filesystem::path& file) const {
  std::lock_guard lock(mutex_);
  auto found = tables_.find(file);
  if (found == tables_.end()) {
    found = tables_.emplace(file, StringsTable::load(file)).first;
    if (found->second) {
      for (const auto& error : found->second->errors()) {
        log("[error] " + file.string() + ", line " + std::to_string(error.line) + ": " + error.message);
      }
    }
  }
  return found->second ? &*found->second : nullptr;
}

const nlohmann::json& Bundle::infoDictionary() const {
  std::lock_guard lock(mutex_);
  if (!infoDictionary_) {
    infoDictionary_ = std::make_unique<const nlohmann::json>(readInfoDictionary(root_ / kInfoDictionaryFile));
  }
  return *infoDictionary_;
}

const nlohmann::json* Bundle::object(std::string_view forInfoDictionaryKey) const {
  const nlohmann::json& dictionary = infoDictionary();
  const auto found = dictionary.find(forInfoDictionaryKey);
  return found == dictionary.end() ? nullptr : &*found;
}

std::optional<std::string> Bundle::bundleIdentifier() const {
  const nlohmann::json* identifier = object("CFBundleIdentifier");
  if (identifier == nullptr || !identifier->is_string()) return std::nullopt;
  return identifier->get<std::string>();
}

bool Bundle::redirectToLanguage(std::string_view code) {
  const auto folder = path(code, "lproj");
  std::shared_ptr<const Bundle> attached = folder ? open(*folder, {}) : nullptr;
  std::lock_guard lock(mutex_);
  languageBundle_ = std::move(attached);
  return languageBundle_ != nullptr;
}

std::shared_ptr<const Bundle> Bundle::languageBundle() const {
  std::lock_guard lock(mutex_);
  return languageBundle_;
}

std::string localizedString(std::string_view key) {
  return Bundle::main()->localizedString(key, "", std::nullopt);
}

}  // namespace platform
