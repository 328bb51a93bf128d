#include "UI/Symbols.h"

#include <array>
#include <utility>

namespace ui {

namespace {

// Outlines (stroked) and fills of each symbol, in a 20 by 20 box.
struct Drawing {
  std::string_view name;
  std::string_view body;
};

constexpr std::array kDrawings = {
    Drawing{
        "sparkles",
        R"svg(<path fill="currentColor" stroke="none" d="M9 3L10.9 8.6L16.5 10.5L10.9 12.4L9 18L7.1 12.4L1.5 10.5L7.1 8.6Z"/>)svg"
        R"svg(<path fill="currentColor" stroke="none" d="M15.5 1.5L16.3 3.7L18.5 4.5L16.3 5.3L15.5 7.5L14.7 5.3L12.5 4.5L14.7 3.7Z"/>)svg"},
    Drawing{
        "person.circle",
        R"svg(<circle cx="10" cy="10" r="8"/><circle cx="10" cy="8" r="2.7"/><path d="M5 15.6C6.6 12.6 13.4 12.6 15 15.6"/>)svg"},
    Drawing{"checkmark", R"svg(<path d="M4 10.5L8 14.5L16 5.5"/>)svg"},
    Drawing{
        "wand.and.stars",
        R"svg(<path d="M3 17L12.5 7.5"/><path d="M11 6L14 9"/>)svg"
        R"svg(<path fill="currentColor" stroke="none" d="M15 1.5L15.7 3.3L17.5 4L15.7 4.7L15 6.5L14.3 4.7L12.5 4L14.3 3.3Z"/>)svg"
        R"svg(<path fill="currentColor" stroke="none" d="M7 2L7.5 3.5L9 4L7.5 4.5L7 6L6.5 4.5L5 4L6.5 3.5Z"/>)svg"
        R"svg(<path fill="currentColor" stroke="none" d="M17 10L17.5 11.5L19 12L17.5 12.5L17 14L16.5 12.5L15 12L16.5 11.5Z"/>)svg"},
    Drawing{"rectangle.stack",
            R"svg(<rect x="3" y="7.5" width="14" height="10" rx="2"/><path d="M5 4.8H15M7 2.3H13"/>)svg"},
    Drawing{
        "book",
        R"svg(<path d="M10 5C8 3.5 5 3.4 2.5 4V16C5 15.4 8 15.5 10 17C12 15.5 15 15.4 17.5 16V4C15 3.4 12 3.5 10 5Z"/>)svg"
        R"svg(<path d="M10 5V17"/>)svg"},
    Drawing{"chevron.left", R"svg(<path d="M12.5 3.5L6 10L12.5 16.5"/>)svg"},
    Drawing{"chevron.right", R"svg(<path d="M7.5 3.5L14 10L7.5 16.5"/>)svg"},
    Drawing{
        "exclamationmark.triangle",
        R"svg(<path d="M10 2.5L18.2 16.8H1.8Z"/><path d="M10 7.5V11.8"/><circle cx="10" cy="14.3" r="0.6" fill="currentColor"/>)svg"},
    Drawing{"arrow.right.circle.fill",
            R"svg(<circle cx="10" cy="10" r="8.5" fill="currentColor" stroke="none"/>)svg"
            R"svg(<path stroke="#fff" d="M5.5 10H14M10.5 6.5L14 10L10.5 13.5"/>)svg"},
    Drawing{
        "gearshape.fill",
        R"svg(<g fill="currentColor" stroke="none"><circle cx="10" cy="10" r="6"/>)svg"
        R"svg(<rect x="8.6" y="1.5" width="2.8" height="17" rx="0.8"/>)svg"
        R"svg(<rect x="8.6" y="1.5" width="2.8" height="17" rx="0.8" transform="rotate(45 10 10)"/>)svg"
        R"svg(<rect x="8.6" y="1.5" width="2.8" height="17" rx="0.8" transform="rotate(90 10 10)"/>)svg"
        R"svg(<rect x="8.6" y="1.5" width="2.8" height="17" rx="0.8" transform="rotate(135 10 10)"/></g>)svg"
        R"svg(<circle cx="10" cy="10" r="2.4" fill="var(--color-windowBackgroundColor,#fff)" stroke="none"/>)svg"},
    Drawing{"pencil",
            R"svg(<path d="M4 16L5 12L13.5 3.5L16.5 6.5L8 15Z"/><path d="M11.5 5.5L14.5 8.5"/>)svg"},
    Drawing{
        "keyboard",
        R"svg(<rect x="1.8" y="5" width="16.4" height="10.5" rx="2"/><path d="M5 8.5H6M8 8.5H9M11 8.5H12M14 8.5H15M6 12.2H14"/>)svg"},
    Drawing{
        "paintpalette",
        R"svg(<path d="M10 2.5C5.6 2.5 2.5 5.8 2.5 9.8C2.5 14 6 17.5 10 17.5C11.6 17.5 11.8 16.2 11 15.2)svg"
        R"svg(C10.3 14.2 11 12.8 12.3 12.8H14.5C16.3 12.8 17.5 11.4 17.5 9.6C17.5 5.6 14.2 2.5 10 2.5Z"/>)svg"
        R"svg(<g fill="currentColor" stroke="none"><circle cx="6.5" cy="9" r="1.2"/><circle cx="9" cy="6" r="1.2"/>)svg"
        R"svg(<circle cx="13" cy="6.5" r="1.2"/></g>)svg"},
    Drawing{
        "info.circle",
        R"svg(<circle cx="10" cy="10" r="8"/><path d="M10 9V14.5"/><circle cx="10" cy="6.2" r="0.7" fill="currentColor"/>)svg"},
    Drawing{
        "trash",
        R"svg(<path d="M3.5 5.5H16.5M8 5.5V3.3H12V5.5M5.3 5.5L6.3 17H13.7L14.7 5.5M8.5 8.5V14M11.5 8.5V14"/>)svg"},
    Drawing{
        "doc.on.doc",
        R"svg(<rect x="6.5" y="6" width="10" height="12" rx="1.5"/><path d="M4 14V3.5A1.5 1.5 0 0 1 5.5 2H12"/>)svg"},
    Drawing{"arrow.clockwise",
            R"svg(<path d="M16 10.5A6 6 0 1 1 13.6 5.3"/><path d="M13.3 1.8L13.9 5.5L10.3 6.1"/>)svg"},
    Drawing{
        "tray.and.arrow.down",
        R"svg(<path d="M10 2.5V11M6.5 7.5L10 11L13.5 7.5M2.5 11.5L4.5 17H15.5L17.5 11.5H13.5L12.5 13.5H7.5L6.5 11.5Z"/>)svg"},
    Drawing{"square.and.arrow.down",
            R"svg(<path d="M6 8.5L10 12.5L14 8.5M10 2.5V12.5M4.5 10.5V17H15.5V10.5"/>)svg"},
    Drawing{"xmark", R"svg(<path d="M5 5L15 15M15 5L5 15"/>)svg"},
    Drawing{"keyboard.fill",
            R"svg(<rect x="1.8" y="5" width="16.4" height="10.5" rx="2" fill="currentColor"/>)svg"},
    Drawing{
        "globe",
        R"svg(<circle cx="10" cy="10" r="8"/><path d="M2 10H18M10 2C7.5 4.5 7.5 15.5 10 18M10 2C12.5 4.5 12.5 15.5 10 18"/>)svg"},
    Drawing{"play.fill", R"svg(<path fill="currentColor" stroke="none" d="M6 3.5L16 10L6 16.5Z"/>)svg"},
    Drawing{
        "pause.fill",
        R"svg(<g fill="currentColor" stroke="none"><rect x="5" y="3.5" width="3.5" height="13"/><rect x="11.5" y="3.5" width="3.5" height="13"/></g>)svg"},
};

constexpr std::string_view kUnknown = R"svg(<circle cx="10" cy="10" r="7.5" stroke-dasharray="2 2"/>)svg";

std::string_view drawing(std::string_view name) {
  for (const auto& entry : kDrawings)
    if (entry.name == name) return entry.body;
  return {};
}

}  // namespace

bool isKnownSymbol(std::string_view name) { return !drawing(name).empty(); }

std::string symbolSVG(std::string_view name) {
  std::string_view body = drawing(name);
  std::string svg =
      R"svg(<svg class="ui-svg" viewBox="0 0 20 20" width="1.2em" height="1.2em" fill="none" stroke="currentColor" )svg"
      R"svg(stroke-width="1.6" stroke-linecap="round" stroke-linejoin="round" aria-hidden="true">)svg";
  svg += body.empty() ? kUnknown : body;
  svg += "</svg>";
  return svg;
}

}  // namespace ui
