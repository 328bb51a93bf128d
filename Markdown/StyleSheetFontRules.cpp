#include "Markdown/StyleSheetFontRules.h"

#include <algorithm>
#include <cctype>

namespace markdown {

namespace {

std::string trimmed(std::string_view text) {
  auto isSpace = [](unsigned char c) { return std::isspace(c) != 0; };
  while (!text.empty() && isSpace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && isSpace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return std::string(text);
}

std::string lowercased(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string withoutComments(std::string_view css) {
  std::string result;
  std::size_t at = 0;
  while (at < css.size()) {
    std::size_t open = css.find("/*", at);
    if (open == std::string_view::npos) {
      result.append(css.substr(at));
      break;
    }
    result.append(css.substr(at, open - at));
    std::size_t close = css.find("*/", open + 2);
    at = close == std::string_view::npos ? css.size() : close + 2;
  }
  return result;
}

std::vector<std::string> split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at = 0; at <= text.size(); ++at) {
    if (at == text.size() || text[at] == separator) {
      parts.push_back(trimmed(text.substr(start, at - start)));
      start = at + 1;
    }
  }
  return parts;
}

std::optional<std::string> firstFamily(std::string_view value) {
  std::string family = trimmed(split(value, ',').front());
  if (family.size() >= 2 && (family.front() == '"' || family.front() == '\'') &&
      family.back() == family.front()) {
    family = family.substr(1, family.size() - 2);
  }
  if (family.empty()) {
    return std::nullopt;
  }
  return family;
}

bool isTypeSelector(const std::string& selector) {
  return !selector.empty() &&
         std::all_of(selector.begin(), selector.end(), [](unsigned char c) { return std::isalnum(c) != 0; });
}

}  // namespace

void StyleSheetFontRules::add(std::string_view css) {
  std::string text = withoutComments(css);
  std::size_t at = 0;
  while (true) {
    std::size_t open = text.find('{', at);
    std::size_t close = open == std::string::npos ? std::string::npos : text.find('}', open);
    if (close == std::string::npos) {
      return;
    }
    std::optional<std::string> family;
    for (const std::string& declaration :
         split(std::string_view(text).substr(open + 1, close - open - 1), ';')) {
      std::size_t colon = declaration.find(':');
      if (colon != std::string::npos && lowercased(trimmed(declaration.substr(0, colon))) == "font-family") {
        family = firstFamily(declaration.substr(colon + 1));
      }
    }
    if (family) {
      for (std::string selector : split(std::string_view(text).substr(at, open - at), ',')) {
        selector = lowercased(selector);
        if (selector == "*" || isTypeSelector(selector)) {
          rules_.push_back({selector, *family});
        }
      }
    }
    at = close + 1;
  }
}

std::optional<std::string> StyleSheetFontRules::familyFor(std::string_view tagName) const {
  std::optional<std::string> universal;
  std::optional<std::string> typed;
  for (const Rule& rule : rules_) {
    if (rule.selector == "*") {
      universal = rule.family;
    } else if (rule.selector == tagName) {
      typed = rule.family;
    }
  }
  return typed ? typed : universal;
}

}  // namespace markdown
