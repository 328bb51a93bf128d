#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Quellorin/Assistant/AnswerHTML.h"
#include "Quellorin/Services/TextHandlingService.h"

namespace quellorin {
namespace {

// Answers with every block that can reach over a blank line.
const std::vector<std::string> kAnswers = {
    "# Title\n\nFirst paragraph\nwith a soft break.\n\n- one\n- two\n\n  still two\n\nAfter the list.\n\n"
    "```python\ndef f():\n\n    return 1\n```\n\nText after code.\n\n> quoted\n\n> again\n\nEnd.",
    "- loose\n\n- list\n\nParagraph\n\n1. first\n\n2. second\n\nDone",
    "Intro\n\n<div>\n\nraw *html*\n\n</div>\n\nAfter\n\nMore",
    "See [the link][r] here.\n\nMiddle paragraph.\n\n[r]: https://example.com/\n\nTail",
    "Code below\n\n    indented\n\n    still code\n\nAnd text.",
    "第一段。\n\n第二段，**加粗**。\n\n## 标题\n\n结束。",
    "~~~\n```\n\nnot closed by backticks\n```\n~~~\n\nOutside\n\n````\n```\n\n````\n\nLast",
    "Line one\r\n\r\nLine two\r\nSetext\r\n===\r\n\r\nDone",
    "Para\n\n***\n\nAfter rule\n\nTitle\n---\n\nend",
};

TEST(AnswerHTML, EveryPrefixOfAStreamedAnswerGivesTheHTMLOfTheWholeConversion) {
  for (const auto& answer : kAnswers) {
    for (std::size_t chunk : {1u, 7u, 40u}) {
      AnswerHTML converter;
      for (std::size_t end = chunk;; end += chunk) {
        const auto prefix = answer.substr(0, std::min(end, answer.size()));
        ASSERT_EQ(converter.convert(prefix), TextHandlingService::markdownToHTML(prefix))
            << "chunk " << chunk << " prefix:\n"
            << prefix;
        if (end >= answer.size()) break;
      }
    }
  }
}

TEST(AnswerHTML, CutsOnlyBeforeAParagraphOrHeadingAfterABlankLineOutsideCode) {
  const std::vector<std::pair<std::string, std::size_t>> table = {
      {"One\n\nTwo\n", 5},
      {"One\n\nTwo", 0},                     // the last line may still grow
      {"- a\n\n- b\n\nc\n", 10},             // not before another item
      {"```\nx\n\ny\n```\n\nz\n", 14},       // not inside the fence
      {"<p>\n\nx\n\ny\n", 0},                // not after raw HTML
      {"a\n\n    code\n\nb\n\n1. n\n", 13},  // not before code or a numbered item
      {"中文\n\n文字\n", 8},
  };
  for (const auto& [markdown, cut] : table) EXPECT_EQ(AnswerHTML::lastBoundary(markdown), cut) << markdown;
}

}  // namespace
}  // namespace quellorin
