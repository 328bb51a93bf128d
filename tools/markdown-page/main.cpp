// markdown-page MARKDOWN-FILE
//
// Makes a Markdown web view over the file's Markdown (links opened outside, the library's own
// page template) and prints "page <path>" for the page it wrote. Then reads commands from
// standard input, one per line:
//   click <url>   a link to <url> is clicked in the page; prints "cancel" or "allow", and
//                 "open <url>" when the view hands the link to the system
//   finish        the page load finishes; prints "loaded <count>"
// At the end of input the view is destroyed, which removes its copy of the template.

#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <string>

#include "Markdown/MarkdownView.h"
#include "Platform/Desktop/URLOpener.h"
#include "tools/support/CommandLine.h"
#include "tools/support/ReadFile.h"

namespace {

// Prints what it is asked to open instead of opening it.
class PrintingURLOpener final : public platform::URLOpener {
 public:
  bool openURL(const std::string& url) override {
    std::cout << "open " << url << std::endl;
    return true;
  }
};

}  // namespace

int main(int argc, char** argv) {
  CLI::App app(
      "Writes the Markdown web view's page for a document and answers link clicks read from standard input.",
      "markdown-page");
  std::string input;
  app.add_option("MARKDOWN-FILE", input, "The document to show")->required();
  if (const auto status = toolsupport::parseCommandLine(app, argc, argv)) return *status;
  try {
    int loads = 0;
    markdown::MarkdownView view({0, 0, 800, 600}, toolsupport::readFile(input),
                                {.openLinksExternally = true,
                                 .writableBundle = true,
                                 .didLoadSuccessfully = [&loads] { ++loads; },
                                 .urlOpener = std::make_shared<PrintingURLOpener>()});
    std::cout << "page " << view.host().fileLoads().back().file.string() << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
      if (line.rfind("click ", 0) == 0) {
        view.host().clickLink(line.substr(6));
        bool allowed = view.host().navigations().back().policy == platform::NavigationActionPolicy::allow;
        std::cout << (allowed ? "allow" : "cancel") << std::endl;
      } else if (line == "finish") {
        view.host().finishLoading();
        std::cout << "loaded " << loads << std::endl;
      }
    }
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "markdown-page: %s\n", error.what());
    return 1;
  }
}
