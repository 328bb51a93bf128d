// Screenshots of the assistant window in its four looks (idle, running a pipeline, showing an
// answer with code and a diagram, after an error), written into build/screenshots/. The answer
// card shows the page its web view loaded, with the answer pushed into it, in the card's place.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "AssistantWindowFixture.h"
#include "Platform/Core/Bundle.h"
#include "Platform/Desktop/WebView.h"
#include "Platform/Desktop/WebViewHost.h"
#include "Quellorin/Assistant/DetachedWebView.h"
#include "Quellorin/Assistant/ResultView.h"
#include "Quellorin/Assistant/WebView.h"
#include "UI/HTMLRenderer.h"
#include "UI/Screenshot.h"

namespace quellorin {
namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 600;

const char* kAnswer =
    "Here is the function and how it flows:\n\n"
    "```python\ndef greet(name):\n    # say hello\n    return f\"Hello, {name}!\"\n```\n\n"
    "```mermaid\ngraph TD\n    A[Text] --> B{Pipeline}\n    B --> C[Answer]\n```\n";

class AssistantScreenshotIntegration : public AssistantWindowFixture {
 protected:
  // The answer card's page answers its height measurement with `height`, then shows it.
  void giveTheCardHeight(AssistantWindowContent& content, int height) {
    auto page = content.host()->webView(ResultView::cardId);
    ASSERT_TRUE(page);
    page->host().answerScripts([height](const std::string& script) {
      return platform::WebViewHost::ScriptAnswer{script == WebView::measureScript
                                                     ? std::optional<std::string>(std::to_string(height))
                                                     : std::nullopt,
                                                 std::nullopt};
    });
    content.host()->render();
    // Not settle(): that would wait for a request still in flight.
    virtualEnvironment.advance(0);
  }

  // The window as a page, with the card's page (written into `into` beside the page's
  // scripts, the answer pushed once it has loaded) framed in the card's element.
  std::string windowPage(AssistantWindowContent& content, const fs::path& into) {
    std::string html = ui::renderHTML(content.host()->tree(), {ui::ColorScheme::light, kWidth, "Quellorin"});
    auto page = content.host()->webView(ResultView::cardId);
    if (!page) return html;
    const auto resources = into / "Resources";
    fs::create_directories(resources);
    for (const char* name : {"highlight.min.js", "monokai.min.css", "mermaid.min.js"})
      fs::copy_file(platform::Bundle::main()->resourcePath() / name, resources / name,
                    fs::copy_options::overwrite_existing);
    const auto& card = *content.view()->resultView()->card();
    std::string text = page->host().htmlLoads().at(0).html;
    text += "<script>document.addEventListener('DOMContentLoaded', () => { " +
            WebView::contentScript(card.htmlContent()) + " });</script>";
    std::ofstream(resources / "answer.html", std::ios::binary) << text;

    const std::string marker = "data-web-view=\"" + std::string(ResultView::cardId) + "\">";
    const auto at = html.find(marker);
    if (at == std::string::npos) return html;
    html.insert(at + marker.size(), "<iframe src=\"file://" + (resources / "answer.html").string() +
                                        "\" style=\"border:0;width:100%;height:" +
                                        std::to_string(static_cast<int>(card.webviewHeight())) +
                                        "px\"></iframe>");
    return html;
  }

  void shoot(AssistantWindowContent& content, const std::string& name) {
    const auto shots = fs::path(QUELLORIN_BINARY_DIR) / "screenshots";
    const auto png = shots / ("assistant-" + name + ".png");
    const auto pages = shots / ("assistant-" + name);
    const int height = 600;
    ASSERT_TRUE(ui::screenshotHTML(windowPage(content, pages), png, {kWidth, height, 90, 3000})) << png;
    std::ifstream file(png, std::ios::binary);
    char signature[8] = {};
    file.read(signature, 8);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG") << png;
  }
};

TEST_F(AssistantScreenshotIntegration, WritesTheWindowIdleRunningAnsweringAndAfterAnError) {
  env().userDefaults->setString("Language", "en");
  const auto id = addPipeline("Review", {"Smooth wording", "Structure", "Add emojis"});

  auto idle = open("A paragraph selected in the editor.", false);
  settle(0.3);
  shoot(*idle, "idle");

  service.queueFault({{"stallAfterEvents", 3}, {"stallMs", 3000}});
  env().userDefaults->setString("currentPipelineId", std::to_string(id));
  auto running = open("A paragraph selected in the editor.", true);
  ASSERT_TRUE(virtualEnvironment.runUntil([&] { return !running->view()->resultText().empty(); }));
  giveTheCardHeight(*running, 40);
  ASSERT_TRUE(running->view()->isProcessing());
  shoot(*running, "running");
  running->view()->tearDown();

  nlohmann::json lines = nlohmann::json::array();
  for (const std::string& piece : {std::string(kAnswer).substr(0, 60), std::string(kAnswer).substr(60)}) {
    lines.push_back("data: " + json{{"event", "message"}, {"answer", piece}}.dump());
    lines.push_back("");
  }
  service.queueFault({{"lines", lines}});
  auto answer = open("def greet(name): return 'Hello ' + name", false);
  answer->view()->handleCustomCommit(answer->view()->selectedText(), "Explain with a diagram", "fast");
  finishRun(*answer->view());
  giveTheCardHeight(*answer, 290);
  shoot(*answer, "answer");

  service.queueFault({{"lines", {"data: " + json{{"event", "error"}, {"message", "boom"}}.dump()}}});
  auto failed = open("A paragraph selected in the editor.", true);
  finishRun(*failed->view());
  giveTheCardHeight(*failed, 40);
  shoot(*failed, "error");
}

}  // namespace
}  // namespace quellorin
