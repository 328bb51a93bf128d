#pragma once

namespace markdown {

// How code blocks are laid out.
struct CodeBlockOptions {
  double containerInset = 8;  // points between a code block's text and its background's edges, on all sides
};

}  // namespace markdown
