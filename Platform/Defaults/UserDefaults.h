#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "Platform/Defaults/DefaultsValue.h"

namespace platform {

class DefaultsFile;

// The user-defaults store: the application's settings, as typed values under plain text keys.
//
// Present versus absent: a key is present once a value was set and until it is removed; an
// empty text, false and 0 are present values. Typed reads of an absent key give what the
// desktop's own store gives: no text, false, 0, 0.0, no date, no bytes. Typed reads of a
// value of another type convert as DefaultsValue.h states (for example a text read of the
// integer 42 gives "42", an integer read of the text "17" gives 17, a text read of bytes gives
// none); object() gives the value exactly as stored.
//
// Texts and keys are UTF-8; ill-formed sequences are stored as U+FFFD, and a key is looked up
// the same way.
//
// Persistence: a store opened on a file loads it once and rewrites it whole, atomically, at
// every change, before the setter returns (writes of several threads at once may share one
// rewrite). A failed rewrite is logged and the change kept in memory; the next change tries
// again with everything. Open one store per file in a process: two stores on one file would
// overwrite each other's changes. The in-memory variant has the same interface and keeps
// nothing.
//
// Threads: every member may be called from any thread at any time. Reads never wait for the
// disk. Observers are called on the thread that made the change, after the value changed and
// the file was written (or its failure logged), and never under the store's lock: an observer
// may read and write the store, and add or remove observers. Code that must run on the main
// queue hops there itself.
class UserDefaults {
 public:
  // Called with the key and its new value, or with no value when the key was removed.
  using Observer = std::function<void(const std::string& key, const std::optional<DefaultsValue>& value)>;

  // Identifies one registered observer.
  struct ObserverToken {
    std::uint64_t id = 0;
  };

  // The file of the application's own store: "user-defaults.json" in
  // applicationConfigDirectory(), decided by the environment at the moment of the call.
  static std::filesystem::path standardFilePath();

  // The application's store, on standardFilePath(). See openFile().
  static std::shared_ptr<UserDefaults> openStandard();

  // A store backed by `file`: its values are loaded now; a missing file gives an empty store
  // (the file and its folder are created at the first change). A file that must be left as it
  // is (not a regular file, unreadable, too large, of a newer format) gives a store that starts
  // empty and keeps everything in memory only, never writing over it; a file that is not a
  // settings document at all is moved aside and the store starts empty; entries that do not
  // read are left out. Each of these logs one line (see DefaultsFile::load). Never throws for
  // file problems.
  static std::shared_ptr<UserDefaults> openFile(std::filesystem::path file);

  // A store that lives in memory only, for tests.
  static std::shared_ptr<UserDefaults> inMemory();

  ~UserDefaults();
  UserDefaults(const UserDefaults&) = delete;
  UserDefaults& operator=(const UserDefaults&) = delete;

  bool contains(std::string_view key) const;
  // The value as stored, with its type; none when absent.
  std::optional<DefaultsValue> object(std::string_view key) const;
  std::optional<std::string> string(std::string_view key) const;
  bool bool_(std::string_view key) const;
  std::int64_t integer(std::string_view key) const;
  double double_(std::string_view key) const;
  // Only a stored date; none for any other type.
  std::optional<DefaultsDate> date(std::string_view key) const;
  // Only stored bytes; none for any other type.
  std::optional<DefaultsBytes> data(std::string_view key) const;
  std::optional<nlohmann::json> json(std::string_view key) const;
  // Every present value.
  DefaultsMap dictionaryRepresentation() const;

  // Each setter stores the value with the setter's type, replacing any earlier value of any
  // type. Storing a value identical to the present one (same type, same value; see
  // identical()) changes nothing: no file write, no observer call.
  void set(std::string key, DefaultsValue value);
  void setString(std::string key, std::string value);
  void setBool(std::string key, bool value);
  void setInteger(std::string key, std::int64_t value);
  void setDouble(std::string key, double value);
  void setDate(std::string key, DefaultsDate value);
  void setData(std::string key, DefaultsBytes value);
  // A JSON value nested more than kMaxJSONNesting levels deep is not stored: a line is logged
  // and the key keeps its value. Pass large values with std::move: a copy of a JSON value
  // recurses once per level.
  void setJSON(std::string key, nlohmann::json value);
  // Makes the key absent; nothing happens when it already is.
  void remove(std::string_view key);

  // Calls `observer` after every change of `key` (a set that changes it, or a remove of a
  // present value), once per change, until removeObserver(). Changes of one key made by
  // several threads at once may be reported in either order. An observer must not throw.
  ObserverToken addObserver(std::string key, Observer observer);
  // Stops the calls for later changes; a call already running on another thread may finish.
  // Unknown or already removed tokens are ignored.
  void removeObserver(ObserverToken token);

 private:
  struct Registration;

  explicit UserDefaults(std::unique_ptr<DefaultsFile> file);

  // `convert` applied to the value under `key`, or `absent`.
  template <class Convert, class Result = std::invoke_result_t<Convert, const DefaultsValue&>>
  Result read(std::string_view key, Convert convert, Result absent) const;

  void change(std::string key, std::optional<DefaultsValue> value);
  void persist(std::uint64_t generation);

  mutable std::mutex mutex_;  // guards values_, generation_, observers_, nextObserverId_
  DefaultsMap values_;
  std::uint64_t generation_ = 0;  // counts changes
  std::map<std::uint64_t, std::shared_ptr<Registration>> observers_;
  std::uint64_t nextObserverId_ = 1;

  std::mutex fileMutex_;                // taken before mutex_; guards file_ and savedGeneration_
  std::unique_ptr<DefaultsFile> file_;  // none for the in-memory variant
  std::uint64_t savedGeneration_ = 0;   // the last change that the file holds
};

}  // namespace platform
