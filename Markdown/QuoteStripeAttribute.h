#pragma once

#include <string>
#include <vector>

#include "Platform/Text/Color.h"

namespace markdown {

// Under the key "quoteStripe": the stripes of block quotes beside a stretch of text, one per
// entry of `locations` (each the stripe's left edge, in points from the line fragment's text
// area), each `thickness` wide and as tall as the line.
struct QuoteStripeAttribute {
  static inline const std::string key = "quoteStripe";

  platform::Color color;
  double thickness = 0;
  double spacingAfter = 0;
  std::vector<double> locations;

  bool operator==(const QuoteStripeAttribute&) const = default;
};

}  // namespace markdown
