#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "Platform/Desktop/WebView.h"
#include "UI/Host.h"

namespace {

// Records what the host asks of it.
class RecordingContent final : public ui::WebViewContent {
 public:
  explicit RecordingContent(std::vector<std::string>& log, std::string name)
      : log_(log), name_(std::move(name)) {}
  std::shared_ptr<platform::WebView> makeWebView(platform::Rect frame) override {
    log_.push_back("make " + name_ + " " + std::to_string(static_cast<int>(frame.height)));
    return std::make_shared<platform::WebView>(frame, nullptr);
  }
  void updateWebView(const std::shared_ptr<platform::WebView>&) override {
    log_.push_back("update " + name_);
  }

 private:
  std::vector<std::string>& log_;
  std::string name_;
};

// Shows the web view nodes named in `shown`, each with a content object made anew per render.
class WebViews final : public ui::View {
 public:
  explicit WebViews(std::vector<std::string>& log) : log_(log) {}
  ui::State<std::vector<std::string>> shown{*this, {"a"}};
  ui::Node body() override {
    std::vector<ui::Node> nodes;
    for (const auto& name : *shown)
      nodes.push_back(ui::WebViewSlot(name, 40, std::make_shared<RecordingContent>(log_, name)));
    nodes.push_back(ui::WebViewSlot("bare", 10));
    return ui::VStack(std::move(nodes));
  }

 private:
  std::vector<std::string>& log_;
};

TEST(WebViewNode, TheHostKeepsOneWebViewPerIdAndUpdatesItAfterEveryRender) {
  platform::VirtualEnvironment environment;
  std::vector<std::string> log;
  auto view = std::make_shared<WebViews>(log);
  auto host = ui::Host::make(view, {200, ui::ColorScheme::light});
  const auto first = host->webView("a");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->frame().width, 200);
  EXPECT_EQ(host->webView("bare"), nullptr) << "a node without content gets none";

  struct Step {
    std::vector<std::string> shown;
    std::vector<std::string> log;
  };
  const Step steps[] = {
      {{"a"}, {"update a"}},
      {{"a", "b"}, {"make b 40", "update a", "update b"}},
      {{"b"}, {"update b"}},
      {{"a", "b"}, {"make a 40", "update a", "update b"}},  // a came back: a new web view
  };
  EXPECT_EQ(log, (std::vector<std::string>{"make a 40", "update a"}));
  for (const auto& step : steps) {
    log.clear();
    view->shown.set(step.shown);
    host->render();
    EXPECT_EQ(log, step.log);
    for (const auto& name : {"a", "b"}) {
      const bool inTree = std::find(step.shown.begin(), step.shown.end(), name) != step.shown.end();
      EXPECT_EQ(host->webView(name) != nullptr, inTree) << name;
    }
  }
  EXPECT_NE(host->webView("a"), first);
}

}  // namespace
