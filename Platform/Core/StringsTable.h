#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One string table: the key-value pairs of a ".strings" file such as
// Resources/en.lproj/Localizable.strings.
//
// File format: entries `"key" = "value";` (or `"key";`, whose value is the key), separated by white
// space, `/* */` and `//` comments. Tokens are double-quoted, or unquoted runs of letters, digits
// and _$/:.- . Inside quotes: \" \\ \n \t \r \a \b \f \v, and \U or \u followed by exactly four
// hexadecimal digits (two such escapes in a row make a surrogate pair; a lone surrogate becomes
// U+FFFD); any other escaped character stands for itself. The bytes are UTF-8, optionally with
// a byte-order mark, or UTF-16 in either byte order with a byte-order mark. Ill-formed bytes
// become U+FFFD.
//
// Malformed entries are skipped, never fatal: the error is recorded with the line where the
// entry began, and reading resumes on the next line. An unterminated comment ends the table
// there. A later entry with the same key wins.
//
// Immutable once built; safe to read from any thread.
class StringsTable {
 public:
  struct Error {
    std::size_t line = 0;  // 1-based
    std::string message;
  };

  StringsTable() = default;

  // Parses the raw bytes of a file.
  static StringsTable parse(std::string_view bytes);

  // Reads and parses `file`; nullopt when it cannot be read.
  static std::optional<StringsTable> load(const std::filesystem::path& file);

  // The value for `key`, or nullptr when the table has none.
  const std::string* find(std::string_view key) const;

  std::size_t size() const { return entries_.size(); }
  const std::map<std::string, std::string, std::less<>>& entries() const { return entries_; }

  // Problems met while parsing, in file order; empty for a well-formed file.
  const std::vector<Error>& errors() const { return errors_; }

 private:
  friend class StringsTableParser;

  std::map<std::string, std::string, std::less<>> entries_;
  std::vector<Error> errors_;
};

}  // namespace platform
