#pragma once

#include "Platform/Core/Geometry.h"
#include "UI/Node.h"

namespace ui {

// The size a node takes when offered `proposedWidth` points of width (0: as much as it wants),
// in points. Texts are laid out by the platform's text system (Pango) with the node's font,
// wrapping at the offered width; stacks add the default spacing between items; padding and
// frames apply as in the HTML. An empty node takes no room and no spacing.
platform::Size measure(const Node& node, double proposedWidth);

}  // namespace ui
