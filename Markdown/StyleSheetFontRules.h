#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace markdown {

// The font-family rules of a CSS style sheet, for type selectors ("code", "h1") and the
// universal selector ("*"). Other selectors (classes, ids, combinators) match nothing; other
// declarations are ignored. A type selector beats "*"; among equals the later rule wins.
class StyleSheetFontRules {
 public:
  StyleSheetFontRules() = default;
  // Adds the rules of `css`, after those already held.
  void add(std::string_view css);

  // The family that the rules give an element with tag `tagName` (lowercase), or nothing when
  // no rule matches it. The first family of a list is taken, without quotes.
  std::optional<std::string> familyFor(std::string_view tagName) const;

 private:
  struct Rule {
    std::string selector;  // "*" or a lowercase tag name
    std::string family;
  };
  std::vector<Rule> rules_;
};

}  // namespace markdown
