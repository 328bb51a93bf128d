#pragma once

namespace markdown {

// The horizontal rule of a thematic break. Points.
struct ThematicBreakOptions {
  double thickness = 1;    // line width of the rule
  double indentation = 0;  // first-line head indent of the rule's paragraph, where the rule starts
};

}  // namespace markdown
