#include "Markdown/StaticFontCollection.h"

namespace markdown {

StaticFontCollection::StaticFontCollection(platform::Font heading1, platform::Font heading2,
                                           platform::Font heading3, platform::Font heading4,
                                           platform::Font heading5, platform::Font heading6,
                                           platform::Font body, platform::Font code,
                                           platform::Font listItemPrefix)
    : heading1_(std::move(heading1)),
      heading2_(std::move(heading2)),
      heading3_(std::move(heading3)),
      heading4_(std::move(heading4)),
      heading5_(std::move(heading5)),
      heading6_(std::move(heading6)),
      body_(std::move(body)),
      code_(std::move(code)),
      listItemPrefix_(std::move(listItemPrefix)) {}

}  // namespace markdown

namespace markdown {

StaticFontCollection StaticFontCollection::standard() {
  using platform::Font;
  return StaticFontCollection(Font::boldSystem(24), Font::boldSystem(20), Font::boldSystem(17),
                              Font::boldSystem(15), Font::boldSystem(13), Font::boldSystem(12),
                              Font::system(13), Font::monospaced(12), Font::system(13));
}

}  // namespace markdown
