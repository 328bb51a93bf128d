#pragma once

namespace markdown {

// The vertical stripes at the left of block quotes. Points.
struct QuoteStripeOptions {
  double thickness = 4;     // width of one stripe
  double spacingAfter = 8;  // gap between a stripe and what follows it (the next stripe or the text)
};

}  // namespace markdown
