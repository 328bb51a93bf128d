#include "Quellorin/Assistant/AnswerHTML.h"

#include <optional>

#include "Platform/Core/Unicode.h"
#include "Quellorin/Services/TextHandlingService.h"

namespace quellorin {

namespace {

bool isBlank(std::string_view line) { return line.find_first_not_of(" \t\r") == std::string_view::npos; }

// A line that can only open a paragraph or a heading at the margin: a letter, '#', or the first
// byte of a character beyond ASCII. Anything else might go on with a list, a quotation, code.
bool startsAtMargin(std::string_view line) {
  if (line.empty()) return false;
  const auto c = static_cast<unsigned char>(line[0]);
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '#' || c >= 0x80;
}

std::string_view withoutIndent(std::string_view line) {
  std::size_t spaces = 0;
  while (spaces < line.size() && spaces < 4 && line[spaces] == ' ') ++spaces;
  return spaces > 3 ? std::string_view() : line.substr(spaces);
}

struct Fence {
  char mark = 0;
  std::size_t length = 0;
};

// The fence a line opens or closes: its character and length, none for another line.
std::optional<Fence> fenceOf(std::string_view line) {
  const auto text = withoutIndent(line);
  if (text.empty() || (text[0] != '`' && text[0] != '~')) return std::nullopt;
  std::size_t length = 0;
  while (length < text.size() && text[length] == text[0]) ++length;
  if (length < 3) return std::nullopt;
  return Fence{text[0], length};
}

}  // namespace

std::size_t AnswerHTML::lastBoundary(std::string_view markdown, std::size_t from) {
  std::size_t boundary = from;
  std::optional<Fence> open;
  bool previousBlank = false;
  for (std::size_t start = from; start < markdown.size();) {
    const auto end = markdown.find('\n', start);
    // The last line may still grow: it is never a cut's line.
    if (end == std::string_view::npos) break;
    const auto line = markdown.substr(start, end - start);
    if (open) {
      if (const auto fence = fenceOf(line); fence && fence->mark == open->mark &&
                                            fence->length >= open->length &&
                                            isBlank(withoutIndent(line).substr(fence->length)))
        open.reset();
      previousBlank = false;
    } else if (isBlank(line)) {
      previousBlank = true;
    } else {
      // Raw HTML may run over blank lines: no cut from here on.
      if (!withoutIndent(line).empty() && withoutIndent(line)[0] == '<') return boundary;
      if (previousBlank && startsAtMargin(line)) boundary = start;
      open = fenceOf(line);
      previousBlank = false;
    }
    start = end + 1;
  }
  return boundary;
}

const std::string& AnswerHTML::convert(const std::string& markdown) {
  if (!html_.empty() && markdown == markdown_) return html_;
  const bool continues =
      markdown.size() >= markdown_.size() && markdown.compare(0, markdown_.size(), markdown_) == 0;
  // A reference definition reaches back to links anywhere.
  if (!continues || markdown.find("]:") != std::string::npos) {
    kept_ = 0;
    keptHTML_.clear();
  }
  if (markdown.find("]:") == std::string::npos) {
    const auto cut = lastBoundary(markdown, kept_);
    if (cut > kept_) {
      keptHTML_ += TextHandlingService::markdownToHTML(markdown.substr(kept_, cut - kept_));
      kept_ = cut;
    }
  }
  const auto rest = markdown.substr(kept_);
  // Text that is not UTF-8 does not convert, whole or in part.
  html_ = platform::unicode::isValidUTF8(rest) ? keptHTML_ + TextHandlingService::markdownToHTML(rest)
                                               : std::string();
  markdown_ = markdown;
  return html_;
}

}  // namespace quellorin
