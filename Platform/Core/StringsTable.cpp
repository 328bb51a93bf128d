#include "Platform/Core/StringsTable.h"

#include "Platform/Core/Unicode.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

namespace platform {
namespace {

enum class ByteOrder { little, big };

std::string utf16FileToUTF8(std::string_view bytes, ByteOrder order) {
  std::u16string units;
  units.reserve(bytes.size() / 2 + 1);
  for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
    const auto first = static_cast<unsigned char>(bytes[at]);
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    units.push_back(
        static_cast<char16_t>(order == ByteOrder::little ? first | (second << 8) : (first << 8) | second));
  }
  if (bytes.size() % 2 != 0) units.push_back(static_cast<char16_t>(unicode::replacementCharacter));
  return unicode::toUTF8(units);
}

// The file's text as UTF-8, chosen by its byte-order mark.
std::string decodeFileBytes(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return unicode::sanitizedUTF8(bytes.substr(3));
  if (bytes.starts_with("\xFF\xFE")) return utf16FileToUTF8(bytes.substr(2), ByteOrder::little);
  if (bytes.starts_with("\xFE\xFF")) return utf16FileToUTF8(bytes.substr(2), ByteOrder::big);
  return unicode::sanitizedUTF8(bytes);
}

bool isUnquotedTokenCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("_$/:.-").find(c) != std::string_view::npos;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A malformed entry. A fatal one (an unterminated comment) ends the file.
struct ParseError {
  std::string message;
  bool fatal = false;
};

}  // namespace

// Reads one decoded text into a table. Private to this file; a friend of StringsTable.
class StringsTableParser {
 public:
  explicit StringsTableParser(std::string_view text) : text_(text) {}

  StringsTable run() {
    for (;;) {
      try {
        skipBlanksAndComments();
      } catch (const ParseError& error) {  // only an unterminated comment: the rest is comment
        table_.errors_.push_back({lineOf(pos_), error.message});
        break;
      }
      if (atEnd()) break;
      const std::size_t entryStart = pos_;
      try {
        readEntry();
      } catch (const ParseError& error) {
        if (error.fatal) {
          table_.errors_.push_back({lineOf(entryStart), error.message});
          break;
        }
        table_.errors_.push_back({lineOf(entryStart), error.message + "; entry skipped"});
        pos_ = startOfLineAfter(entryStart);
      }
    }
    return std::move(table_);
  }

 private:
  bool atEnd() const { return pos_ >= text_.size(); }
  char peek() const { return text_[pos_]; }

  // Lines are asked for in increasing positions mostly, so counting resumes from the last answer.
  std::size_t lineOf(std::size_t position) {
    position = std::min(position, text_.size());
    if (position < counted_.position) counted_ = {};
    const auto from = text_.begin() + static_cast<std::ptrdiff_t>(counted_.position);
    const auto to = text_.begin() + static_cast<std::ptrdiff_t>(position);
    counted_ = {position, counted_.line + static_cast<std::size_t>(std::count(from, to, '\n'))};
    return counted_.line;
  }

  std::size_t startOfLineAfter(std::size_t position) const {
    const std::size_t newline = text_.find('\n', position);
    return newline == std::string_view::npos ? text_.size() : newline + 1;
  }

  std::string describeNext() const {
    if (atEnd()) return "the end of the file";
    return "\"" + std::string(unicode::prefix(text_.substr(pos_), 1)) + "\"";
  }

  void skipBlanksAndComments() {
    while (!atEnd()) {
      if (isBlank(peek())) {
        ++pos_;
      } else if (text_.substr(pos_).starts_with("//")) {
        pos_ = startOfLineAfter(pos_);
      } else if (text_.substr(pos_).starts_with("/*")) {
        const std::size_t close = text_.find("*/", pos_ + 2);
        if (close == std::string_view::npos) {
          throw ParseError{"unterminated comment starting on line " + std::to_string(lineOf(pos_)) +
                               "; the rest of the file is ignored",
                           true};
        }
        pos_ = close + 2;
      } else {
        return;
      }
    }
  }

  void readEntry() {
    std::string key = readToken("a key");
    skipBlanksAndComments();
    if (!atEnd() && peek() == ';') {
      ++pos_;
      std::string value = key;
      table_.entries_.insert_or_assign(std::move(key), std::move(value));
      return;
    }
    expect('=', "\"=\" or \";\" after the key");
    skipBlanksAndComments();
    std::string value = readToken("a value");
    skipBlanksAndComments();
    expect(';', "\";\" after the value");
    table_.entries_.insert_or_assign(std::move(key), std::move(value));
  }

  void expect(char wanted, const std::string& what) {
    if (atEnd() || peek() != wanted) throw ParseError{"expected " + what + ", found " + describeNext()};
    ++pos_;
  }

  std::string readToken(const std::string& what) {
    if (!atEnd() && peek() == '"') return readQuoted();
    const std::size_t start = pos_;
    while (!atEnd() && isUnquotedTokenCharacter(peek())) ++pos_;
    if (pos_ == start) throw ParseError{"expected " + what + ", found " + describeNext()};
    return std::string(text_.substr(start, pos_ - start));
  }

  std::string readQuoted() {
    const std::size_t start = pos_;
    ++pos_;  // the opening quote
    std::string out;
    while (!atEnd()) {
      const char c = text_[pos_++];
      if (c == '"') return out;
      if (c == '\\') {
        readEscape(out);
      } else {
        out.push_back(c);
      }
    }
    throw ParseError{"unterminated string starting on line " + std::to_string(lineOf(start))};
  }

  void readEscape(std::string& out) {
    if (atEnd()) return;
    const char c = text_[pos_++];
    switch (c) {
      case 'n':
        out.push_back('\n');
        break;
      case 't':
        out.push_back('\t');
        break;
      case 'r':
        out.push_back('\r');
        break;
      case 'a':
        out.push_back('\a');
        break;
      case 'b':
        out.push_back('\b');
        break;
      case 'f':
        out.push_back('\f');
        break;
      case 'v':
        out.push_back('\v');
        break;
      case 'U':
      case 'u':
        out += unicode::toUTF8(readUnicodeEscape());
        break;
      default:
        out.push_back(c);
        break;  // \" \\ and any other character stand for themselves
    }
  }

  // After "\U": four hexadecimal digits, and the low half of a surrogate pair when one follows.
  char32_t readUnicodeEscape() {
    const char32_t unit = readFourHexDigits();
    if (unit < 0xD800 || unit > 0xDBFF) return unit;  // BMP, or a lone low half: made U+FFFD later
    const std::string_view rest = text_.substr(pos_);
    if (!(rest.starts_with("\\U") || rest.starts_with("\\u"))) return unit;
    const std::size_t afterHigh = pos_;
    pos_ += 2;
    const char32_t low = readFourHexDigits();
    if (low >= 0xDC00 && low <= 0xDFFF) return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    pos_ = afterHigh;  // not a pair: the next escape is read on its own
    return unit;
  }

  char32_t readFourHexDigits() {
    char32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      const int digit = atEnd() ? -1 : hexDigitValue(peek());
      if (digit < 0) throw ParseError{"\\U must be followed by four hexadecimal digits"};
      value = value * 16 + static_cast<char32_t>(digit);
      ++pos_;
    }
    return value;
  }

  struct LineCount {
    std::size_t position = 0;
    std::size_t line = 1;
  };

  std::string_view text_;
  std::size_t pos_ = 0;
  LineCount counted_;
  StringsTable table_;
};

StringsTable StringsTable::parse(std::string_view bytes) {
  const std::string text = decodeFileBytes(bytes);
  return StringsTableParser(text).run();
}

std::optional<StringsTable> StringsTable::load(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return parse(bytes.str());
}

const std::string* StringsTable::find(std::string_view key) const {
  const auto found = entries_.find(key);
  return found == entries_.end() ? nullptr : &found->second;
}

}  // namespace platform
