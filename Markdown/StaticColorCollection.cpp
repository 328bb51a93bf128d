#include "Markdown/StaticColorCollection.h"

namespace markdown {

StaticColorCollection::StaticColorCollection(platform::Color heading1, platform::Color heading2,
                                             platform::Color heading3, platform::Color heading4,
                                             platform::Color heading5, platform::Color heading6,
                                             platform::Color body, platform::Color code, platform::Color link,
                                             platform::Color quote, platform::Color quoteStripe,
                                             platform::Color thematicBreak, platform::Color listItemPrefix,
                                             platform::Color codeBlockBackground)
    : heading1_(std::move(heading1)),
      heading2_(std::move(heading2)),
      heading3_(std::move(heading3)),
      heading4_(std::move(heading4)),
      heading5_(std::move(heading5)),
      heading6_(std::move(heading6)),
      body_(std::move(body)),
      code_(std::move(code)),
      link_(std::move(link)),
      quote_(std::move(quote)),
      quoteStripe_(std::move(quoteStripe)),
      thematicBreak_(std::move(thematicBreak)),
      listItemPrefix_(std::move(listItemPrefix)),
      codeBlockBackground_(std::move(codeBlockBackground)) {}

}  // namespace markdown

namespace markdown {

StaticColorCollection StaticColorCollection::standard() {
  using platform::Color;
  Color ink = Color::fromRGB(0x1F2328);
  return StaticColorCollection(ink, ink, ink, ink, ink, ink, ink, Color::fromRGB(0x6E2F8F),
                               Color::fromRGB(0x0969DA), Color::fromRGB(0x57606A), Color::fromRGB(0xD0D7DE),
                               Color::fromRGB(0xD0D7DE), Color::fromRGB(0x57606A), Color::fromRGB(0xF3F4F6));
}

}  // namespace markdown
