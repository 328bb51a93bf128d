#pragma once

#include <string>
#include <string_view>

namespace sql {

// Wraps `text` in `mark` and writes every `mark` inside it twice: the double-quote mark makes
// an identifier ("my ""table"""), the single-quote mark a text literal or savepoint name
// ('o''clock'). Nothing else is escaped; the empty text gives two marks.
//
// The text is walked byte by byte, never by character: a mark followed by a combining accent
// is still a mark to the engine and must be doubled. `mark` must be an ASCII character, which
// never occurs inside a multi-byte UTF-8 sequence.
std::string quote(std::string_view text, char mark = '"');

// The same quoted text appended to `out`, with no string of its own in between.
void appendQuoted(std::string& out, std::string_view text, char mark = '"');

}  // namespace sql
