#include "SQLite/URIQueryParameter.h"

#include <array>
#include <cctype>
#include <utility>

namespace sql {
namespace {

constexpr std::array<std::pair<URIQueryParameter::FileMode, std::string_view>, 4> fileModes{{
    {URIQueryParameter::FileMode::readOnly, "ro"},
    {URIQueryParameter::FileMode::readWrite, "rw"},
    {URIQueryParameter::FileMode::readWriteCreate, "rwc"},
    {URIQueryParameter::FileMode::memory, "memory"},
}};

constexpr std::array<std::pair<URIQueryParameter::CacheMode, std::string_view>, 2> cacheModes{{
    {URIQueryParameter::CacheMode::shared, "shared"},
    {URIQueryParameter::CacheMode::Private, "private"},
}};

template <class Table, class Case>
std::string_view textOf(const Table& table, Case value) {
  for (const auto& [entry, text] : table)
    if (entry == value) return text;
  return {};
}

template <class Case, class Table>
std::optional<Case> caseOf(const Table& table, std::string_view text) {
  for (const auto& [entry, raw] : table)
    if (raw == text) return entry;
  return std::nullopt;
}

std::string flag(bool on) { return on ? "1" : "0"; }

// Every byte but the unreserved ones is written as %XX, so that "&", "=" and "#" inside a
// value cannot end it.
std::string percentEncoded(std::string_view text) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string encoded;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
      encoded.push_back(c);
    } else {
      encoded.push_back('%');
      encoded.push_back(digits[byte >> 4]);
      encoded.push_back(digits[byte & 0x0f]);
    }
  }
  return encoded;
}

}  // namespace

std::string_view URIQueryParameter::rawText(FileMode mode) noexcept { return textOf(fileModes, mode); }
std::string_view URIQueryParameter::rawText(CacheMode mode) noexcept { return textOf(cacheModes, mode); }

std::optional<URIQueryParameter::FileMode> URIQueryParameter::fileMode(std::string_view text) noexcept {
  return caseOf<FileMode>(fileModes, text);
}

std::optional<URIQueryParameter::CacheMode> URIQueryParameter::cacheMode(std::string_view text) noexcept {
  return caseOf<CacheMode>(cacheModes, text);
}

URIQueryParameter URIQueryParameter::cache(CacheMode mode) { return {"cache", std::string(rawText(mode))}; }
URIQueryParameter URIQueryParameter::immutable(bool on) { return {"immutable", flag(on)}; }
URIQueryParameter URIQueryParameter::modeOf(std::string path) { return {"modeof", std::move(path)}; }
URIQueryParameter URIQueryParameter::mode(FileMode mode) { return {"mode", std::string(rawText(mode))}; }
URIQueryParameter URIQueryParameter::nolock(bool on) { return {"nolock", flag(on)}; }
URIQueryParameter URIQueryParameter::powersafeOverwrite(bool on) { return {"psow", flag(on)}; }
URIQueryParameter URIQueryParameter::vfs(std::string name) { return {"vfs", std::move(name)}; }

std::string URIQueryParameter::description() const { return name_ + "=" + percentEncoded(value_); }

}  // namespace sql
