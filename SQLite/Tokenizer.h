#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sql {

// A full-text tokenizer with its arguments, as a virtual-table module argument names it.
struct Tokenizer {
  std::string name;
  // The arguments as full-text-search version 4 reads them, e.g. "remove_diacritics=0" quoted.
  std::vector<std::string> arguments;
  // The name and arguments as version 5 reads them, word by word: unicode61,
  // remove_diacritics, 0.
  std::vector<std::string> fts5Words;

  static Tokenizer simple();
  static Tokenizer porter();
  // `tokenchars` and `separators` list their characters (UTF-8) in the order to write them;
  // an empty text leaves the option out, as does an absent `removeDiacritics`.
  static Tokenizer unicode61(std::optional<bool> removeDiacritics = std::nullopt,
                             const std::string& tokenchars = "", const std::string& separators = "");
  static Tokenizer trigram(bool caseSensitive);
  static Tokenizer custom(const std::string& name);

  // The name and the arguments joined by blanks, as version 4 reads it:
  // unicode61 "remove_diacritics=0".
  std::string description() const;
  // As version 5 reads it: the bare name when there are no arguments (porter), else one
  // single-quoted text holding each word single-quoted, so that blanks, quote marks and
  // punctuation inside a word keep it one word.
  std::string fts5Text() const;

  bool operator==(const Tokenizer&) const = default;
};

}  // namespace sql
