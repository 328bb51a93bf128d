#include "Platform/UserDefaults.h"

#include <atomic>
#include <utility>
#include <vector>

#include "Platform/DefaultsCoding.h"
#include "Platform/DefaultsFile.h"
#include "Platform/Paths.h"

namespace platform {

struct UserDefaults::Registration {
  Registration(std::string observedKey, Observer callback)
      : key(std::move(observedKey)), observer(std::move(callback)) {}

  const std::string key;
  const Observer observer;
  std::atomic<bool> active{true};  // cleared by removeObserver, checked before each call
};

std::filesystem::path UserDefaults::standardFilePath() {
  return applicationConfigDirectory() / "user-defaults.json";
}

std::shared_ptr<UserDefaults> UserDefaults::openStandard() { return openFile(standardFilePath()); }

std::shared_ptr<UserDefaults> UserDefaults::openFile(std::filesystem::path file) {
  return std::shared_ptr<UserDefaults>(new UserDefaults(std::make_unique<DefaultsFile>(std::move(file))));
}

std::shared_ptr<UserDefaults> UserDefaults::inMemory() {
  return std::shared_ptr<UserDefaults>(new UserDefaults(nullptr));
}

UserDefaults::UserDefaults(std::unique_ptr<DefaultsFile> file) : file_(std::move(file)) {
  if (file_) values_ = file_->load();
}

UserDefaults::~UserDefaults() = default;

bool UserDefaults::contains(std::string_view key) const {
  std::lock_guard lock(mutex_);
  return values_.find(key) != values_.end();
}

std::optional<DefaultsValue> UserDefaults::object(std::string_view key) const {
  std::lock_guard lock(mutex_);
  const auto found = values_.find(key);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

std::optional<std::string> UserDefaults::string(std::string_view key) const {
  std::lock_guard lock(mutex_);
  const auto found = values_.find(key);
  return found == values_.end() ? std::nullopt : textOf(found->second);
}

bool UserDefaults::bool_(std::string_view key) const {
  std::lock_guard lock(mutex_);
  const auto found = values_.find(key);
  return found != values_.end() && truthOf(found->second);
}

std::int64_t UserDefaults::integer(std::string_view key) const {
  std::lock_guard lock(mutex_);
  const auto found = values_.find(key);
  return found == values_.end() ? 0 : integerOf(found->second);
}

double UserDefaults::double_(std::string_view key) const {
  std::lock_guard lock(mutex_);
  const auto found = values_.find(key);
  return found == values_.end() ? 0.0 : realOf(found->second);
}

std::optional<DefaultsDate> UserDefaults::date(std::string_view key) const {
  std::lock_guard lock(mutex_);
  const auto found = values_.find(key);
  if (found == values_.end()) return std::nullopt;
  const auto* date = std::get_if<DefaultsDate>(&found->second);
  return date ? std::optional(*date) : std::nullopt;
}

std::optional<DefaultsBytes> UserDefaults::data(std::string_view key) const {
  std::lock_guard lock(mutex_);
  const auto found = values_.find(key);
  if (found == values_.end()) return std::nullopt;
  const auto* bytes = std::get_if<DefaultsBytes>(&found->second);
  return bytes ? std::optional(*bytes) : std::nullopt;
}

std::optional<nlohmann::json> UserDefaults::json(std::string_view key) const {
  std::lock_guard lock(mutex_);
  const auto found = values_.find(key);
  return found == values_.end() ? std::nullopt : jsonOf(found->second);
}

DefaultsMap UserDefaults::dictionaryRepresentation() const {
  std::lock_guard lock(mutex_);
  return values_;
}

void UserDefaults::set(std::string key, DefaultsValue value) {
  change(withValidText(std::move(key)), withValidText(std::move(value)));
}

void UserDefaults::setString(std::string key, std::string value) {
  set(std::move(key), DefaultsValue(std::in_place_type<std::string>, std::move(value)));
}

void UserDefaults::setBool(std::string key, bool value) {
  set(std::move(key), DefaultsValue(std::in_place_type<bool>, value));
}

void UserDefaults::setInteger(std::string key, std::int64_t value) {
  set(std::move(key), DefaultsValue(std::in_place_type<std::int64_t>, value));
}

void UserDefaults::setDouble(std::string key, double value) {
  set(std::move(key), DefaultsValue(std::in_place_type<double>, value));
}

void UserDefaults::setDate(std::string key, DefaultsDate value) {
  set(std::move(key), DefaultsValue(std::in_place_type<DefaultsDate>, value));
}

void UserDefaults::setData(std::string key, DefaultsBytes value) {
  set(std::move(key), DefaultsValue(std::in_place_type<DefaultsBytes>, std::move(value)));
}

void UserDefaults::setJSON(std::string key, nlohmann::json value) {
  set(std::move(key), DefaultsValue(std::in_place_type<nlohmann::json>, std::move(value)));
}

void UserDefaults::remove(std::string_view key) { change(withValidText(std::string(key)), std::nullopt); }

UserDefaults::ObserverToken UserDefaults::addObserver(std::string key, Observer observer) {
  auto registration = std::make_shared<Registration>(withValidText(std::move(key)), std::move(observer));
  std::lock_guard lock(mutex_);
  const std::uint64_t id = nextObserverId_++;
  observers_.emplace(id, std::move(registration));
  return ObserverToken{id};
}

void UserDefaults::removeObserver(ObserverToken token) {
  std::lock_guard lock(mutex_);
  const auto found = observers_.find(token.id);
  if (found == observers_.end()) return;
  found->second->active = false;
  observers_.erase(found);
}

void UserDefaults::change(std::string key, std::optional<DefaultsValue> value) {
  std::uint64_t generation = 0;
  std::vector<std::shared_ptr<Registration>> toCall;
  {
    std::lock_guard lock(mutex_);
    const auto found = values_.find(key);
    if (value) {
      if (found != values_.end() && found->second == *value) return;
      values_.insert_or_assign(key, *value);
    } else {
      if (found == values_.end()) return;
      values_.erase(found);
    }
    generation = ++generation_;
    for (const auto& [id, registration] : observers_) {
      if (registration->key == key) toCall.push_back(registration);
    }
  }
  persist(generation);
  for (const auto& registration : toCall) {
    if (registration->active) registration->observer(key, value);
  }
}

// Writes a snapshot that holds change `generation` or a later one. A writer that finds its
// change already saved by another thread's snapshot returns at once, so a burst of changes
// from several threads costs fewer rewrites than changes.
void UserDefaults::persist(std::uint64_t generation) {
  if (!file_) return;
  std::lock_guard fileLock(fileMutex_);
  if (savedGeneration_ >= generation) return;
  std::string contents;
  std::uint64_t snapshotGeneration = 0;
  {
    std::lock_guard lock(mutex_);
    contents = encodeDefaults(values_);
    snapshotGeneration = generation_;
  }
  if (file_->save(contents)) savedGeneration_ = snapshotGeneration;
}

}  // namespace platform
