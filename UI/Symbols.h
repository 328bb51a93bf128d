#pragma once

#include <string>
#include <string_view>

namespace ui {

// The system symbols the application's views name, drawn as inline SVG in a 20 by 20 box that
// scales with the font (1.2em) and takes the text colour. An unknown name gives a dashed
// circle, so that it shows in screenshots.
std::string symbolSVG(std::string_view name);

// Whether `name` has a drawing of its own.
bool isKnownSymbol(std::string_view name);

}  // namespace ui
