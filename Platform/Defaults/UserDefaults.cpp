#include "Platform/Defaults/UserDefaults.h"

#include <atomic>
#include <utility>
#include <vector>

#include "Platform/Defaults/DefaultsCoding.h"
#include "Platform/Defaults/DefaultsFile.h"
#include "Platform/Core/Log.h"
#include "Platform/Core/Paths.h"
#include "Platform/Core/Unicode.h"

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
  if (!file_) return;
  if (auto loaded = file_->load()) {
    values_ = std::move(*loaded);
  } else {
    file_.reset();  // the file must stay as it is: no change is ever written over it
  }
}

UserDefaults::~UserDefaults() = default;

namespace {

// Keys are stored made valid (see withValidText); a key looked up is made valid the same way.
// Real keys are valid already and are used as they are.
template <class Use>
auto withStoredKey(std::string_view key, Use use) {
  if (unicode::isValidUTF8(key)) return use(key);
  const std::string valid = withValidText(std::string(key));
  return use(std::string_view(valid));
}

template <class Alternative>
std::optional<Alternative> only(const DefaultsValue& value) {
  const auto* held = std::get_if<Alternative>(&value);
  return held ? std::optional<Alternative>(*held) : std::nullopt;
}

}  // namespace

template <class Convert, class Result>
Result UserDefaults::read(std::string_view key, Convert convert, Result absent) const {
  return withStoredKey(key, [&](std::string_view storedKey) -> Result {
    std::lock_guard lock(mutex_);
    const auto found = values_.find(storedKey);
    return found == values_.end() ? absent : convert(found->second);
  });
}

bool UserDefaults::contains(std::string_view key) const {
  return read(
      key, [](const DefaultsValue&) { return true; }, false);
}

std::optional<DefaultsValue> UserDefaults::object(std::string_view key) const {
  using Result = std::optional<DefaultsValue>;
  return read(
      key, [](const DefaultsValue& value) -> Result { return value; }, Result());
}

std::optional<std::string> UserDefaults::string(std::string_view key) const {
  return read(key, textOf, std::optional<std::string>());
}

bool UserDefaults::bool_(std::string_view key) const { return read(key, truthOf, false); }

std::int64_t UserDefaults::integer(std::string_view key) const {
  return read(key, integerOf, std::int64_t{0});
}

double UserDefaults::double_(std::string_view key) const { return read(key, realOf, 0.0); }

std::optional<DefaultsDate> UserDefaults::date(std::string_view key) const {
  return read(key, only<DefaultsDate>, std::optional<DefaultsDate>());
}

std::optional<DefaultsBytes> UserDefaults::data(std::string_view key) const {
  return read(key, only<DefaultsBytes>, std::optional<DefaultsBytes>());
}

std::optional<nlohmann::json> UserDefaults::json(std::string_view key) const {
  return read(key, jsonOf, std::optional<nlohmann::json>());
}

DefaultsMap UserDefaults::dictionaryRepresentation() const {
  std::lock_guard lock(mutex_);
  return values_;
}

void UserDefaults::set(std::string key, DefaultsValue value) {
  if (const auto* json = std::get_if<nlohmann::json>(&value);
      json && nestedDeeperThan(*json, kMaxJSONNesting)) {
    log("[error] UserDefaults: not storing \"" + withValidText(std::move(key)) +
        "\": its JSON value is nested more than " + std::to_string(kMaxJSONNesting) + " levels deep");
    return;
  }
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
      if (found != values_.end() && identical(found->second, *value)) return;
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
