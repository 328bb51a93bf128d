// markdown-snapshot [--debug] OUTPUT.png [MARKDOWN-FILE]
//
// Draws a Markdown document (a built-in sample with headings, lists, quotes, code and a rule
// when no file is given) with the Markdown text view, 640 points wide at twice the pixel
// density, on white, and writes it as a PNG. --debug outlines every line fragment.

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "Markdown/MarkdownDebugTextView.h"
#include "Markdown/MarkdownStyler.h"
#include "Markdown/MarkdownTextView.h"
#include "Platform/Text/CairoImageContext.h"
#include "Platform/Core/Unicode.h"
#include "tools/support/CommandLine.h"
#include "tools/support/ReadFile.h"

namespace {

constexpr double kWidth = 640;
constexpr double kMargin = 20;

const char* const kSample = R"(# Quellorin answers

Text with *emphasis*, **strength**, `inline code` and a [link](https://example.org).
A soft break keeps the paragraph going.

## Lists

1. First step
2. Second step, long enough to wrap onto a second line inside the item's own text column
   - a nested bullet
   - another one
3. Third

Counting on from eight:

8. eight
9. nine
10. ten

> A quote with a stripe.
>
> > And a nested quote with two.

```swift
let answer = 42
print(answer)

// a blank line stays inside the block
```

---

### The end
)";

}  // namespace

int main(int argc, char** argv) {
  CLI::App app("Draws a Markdown document with the Markdown text view into a PNG file.", "markdown-snapshot");
  std::string output;
  std::string input;
  bool debug = false;
  app.add_option("OUTPUT.png", output, "The PNG file to write")->required();
  app.add_option("MARKDOWN-FILE", input, "The document to draw (default: a built-in sample)");
  app.add_flag("--debug", debug, "Outline every line fragment");
  if (const auto status = toolsupport::parseCommandLine(app, argc, argv)) return *status;
  try {
    const std::string markdown = input.empty() ? std::string(kSample) : toolsupport::readFile(input);
    auto styler =
        std::make_shared<markdown::MarkdownStyler>(markdown::MarkdownStylerConfiguration::standard());
    platform::Rect frame{0, 0, kWidth - 2 * kMargin, 0};
    std::unique_ptr<markdown::MarkdownTextView> view =
        debug ? std::make_unique<markdown::MarkdownDebugTextView>(frame, styler)
              : std::make_unique<markdown::MarkdownTextView>(frame, styler);
    view->setString(platform::unicode::toUTF16(markdown));
    view->render();  // a second time, so that errors are reported rather than swallowed

    const auto& fragments = view->layoutManager()->lineFragments();
    double height = (fragments.empty() ? 0 : fragments.back().rect.maxY()) + 2 * kMargin;
    platform::CairoImageContext image(static_cast<int>(kWidth), static_cast<int>(height + 0.5), 2.0);
    image.setFillColor(platform::Color::whiteColor());
    image.fillRect({0, 0, kWidth, height});
    view->draw(image, {kMargin, kMargin});
    image.writePNG(output);
    std::printf("%s: %d x %d pixels\n", output.c_str(), image.pixelWidth(), image.pixelHeight());
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "markdown-snapshot: %s\n", error.what());
    return 1;
  }
}
