#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sql {

// One query parameter of a file URI handed to the engine, held as the query item it becomes.
//
// Names that clash with C++ keywords carry a capital instead: the cache mode `private` is
// CacheMode::Private.
class URIQueryParameter {
 public:
  enum class FileMode { readOnly, readWrite, readWriteCreate, memory };  // ro, rw, rwc, memory
  enum class CacheMode { shared, Private };                              // shared, private

  static std::string_view rawText(FileMode mode) noexcept;
  static std::string_view rawText(CacheMode mode) noexcept;
  // Absent for any text but the raw texts above.
  static std::optional<FileMode> fileMode(std::string_view rawText) noexcept;
  static std::optional<CacheMode> cacheMode(std::string_view rawText) noexcept;

  static URIQueryParameter cache(CacheMode mode);
  static URIQueryParameter immutable(bool on);
  // The file whose permissions a new database file copies (the engine's "modeof").
  static URIQueryParameter modeOf(std::string path);
  static URIQueryParameter mode(FileMode mode);
  static URIQueryParameter nolock(bool on);
  static URIQueryParameter powersafeOverwrite(bool on);
  static URIQueryParameter vfs(std::string name);

  const std::string& name() const noexcept { return name_; }
  const std::string& value() const noexcept { return value_; }
  // name=value, the value percent-encoded as it stands in the URI.
  std::string description() const;

  bool operator==(const URIQueryParameter&) const = default;

 private:
  URIQueryParameter(std::string name, std::string value) : name_(std::move(name)), value_(std::move(value)) {}

  std::string name_;
  std::string value_;
};

}  // namespace sql
