#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quellorin {

// The HTML of an answer that grows while it streams in, converted as TextHandlingService does,
// without converting the whole answer again at every chunk.
//
// The answer is cut at its last block boundary that no later text can reach back across: a
// blank line outside fenced code, followed by a line that starts a paragraph or a heading at
// the margin (so no list, quotation or indented code goes on over it). The part before the cut
// is converted once and kept; only the rest is converted at each call. An answer that holds a
// link reference definition (which reaches links anywhere) or a line starting with raw HTML
// (whose block may run over blank lines) is converted whole from that point on. The result is
// the same text as converting the whole answer at once.
//
// A value; one thread at a time.
class AnswerHTML {
 public:
  // The HTML of `markdown`. Cheap when `markdown` continues the text of the previous call.
  const std::string& convert(const std::string& markdown);

  // Where the last cut of `markdown` lies (0: none), scanning from `from`, a cut or 0.
  static std::size_t lastBoundary(std::string_view markdown, std::size_t from = 0);

 private:
  std::string markdown_;
  std::string html_;
  std::size_t kept_ = 0;  // bytes of markdown_ converted into keptHTML_
  std::string keptHTML_;
};

}  // namespace quellorin
