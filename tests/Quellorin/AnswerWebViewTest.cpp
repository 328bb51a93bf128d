#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "Platform/Desktop/WebView.h"
#include "Quellorin/Assistant/DetachedWebView.h"
#include "Quellorin/Assistant/RoundedCorner.h"
#include "Quellorin/Assistant/WebView.h"
#include "UI/Host.h"

namespace quellorin {
namespace {

// The page as the simulated web view sees it: every script answered, the body's height given by
// the test.
class AnswerWebViewTest : public ::testing::Test {
 protected:
  void open(std::string html, double startHeight = 42) {
    card = std::make_shared<DetachedWebView>(
        std::move(html), startHeight,
        DetachedWebView::Options{.onHeightChange = [this](double height) { cardHeights.push_back(height); }});
    host = ui::Host::make(card, {360, ui::ColorScheme::light});
    webView()->host().answerScripts([this](const std::string& script) -> platform::WebViewHost::ScriptAnswer {
      if (script == WebView::measureScript) return {pageHeight, std::nullopt};
      return {};
    });
  }
  // Renders again, as the host does after a change.
  void update() { host->render(); }
  std::shared_ptr<platform::WebView> webView() const { return host->webView(card->id()); }
  const std::vector<std::string>& scripts() const { return webView()->host().evaluatedScripts(); }
  std::size_t scrolls() const {
    std::size_t count = 0;
    for (const auto& script : scripts()) count += script == WebView::scrollScript;
    return count;
  }

  platform::VirtualEnvironment environment;
  std::shared_ptr<DetachedWebView> card;
  std::shared_ptr<ui::Host> host;
  std::optional<std::string> pageHeight = "0";
  std::vector<double> cardHeights;
};

TEST(AnswerWebViewScript, TheContentArrivesUnchangedInATemplateLiteral) {
  struct Case {
    const char* content;
    const char* literal;  // between the backticks
  };
  const Case cases[] = {
      {"<p>plain</p>", "<p>plain</p>"},
      {"a`b", "a\\`b"},
      {"back\\slash", "back\\\\slash"},
      {"${x} and $ and {y}", "\\${x} and $ and {y}"},
      {"$${", "$\\${"},
      {"\\${", "\\\\\\${"},
      {"end with $", "end with $"},
      {"\"double\" 'single'", "\"double\" 'single'"},
      {"line\nbreak\r\n", "line\nbreak\r\n"},
      {"中文 `代码`", "中文 \\`代码\\`"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content);
    EXPECT_EQ(WebView::contentScript(c.content),
              std::string("document.body.innerHTML = `") + c.literal + "`;");
  }
}

TEST(AnswerWebViewScript, ThePlaceholderFollowsTheInterfaceLanguage) {
  const std::pair<std::optional<std::string>, std::string> cases[] = {
      {std::nullopt, "<p>Loading...</p>"},
      {"en", "<p>Loading...</p>"},
      {"zh", "<p>加载中...</p>"},
      {"jp", "<p>読み込み中...</p>"},
      {"fr", "<p>Chargement...</p>"},
      {"de", "<p>加载中...</p>"},
      {"", "<p>加载中...</p>"},
  };
  for (const auto& [language, expected] : cases) {
    SCOPED_TRACE(language.value_or("(none)"));
    EXPECT_EQ(WebView::placeholder(language), expected);
  }
}

TEST(AnswerWebViewPage, ThePageIsTheStyleThenTheTemplateWithoutTheDroppedChartType) {
  const std::string page = WebView::pageText("<style>s</style>\n");
  EXPECT_TRUE(page.starts_with(
      "<!DOCTYPE html>\n<html>\n<head>\n\n<style>s</style>\n<script src=\"../Resources/highlight.min.js\">"));
  EXPECT_TRUE(page.ends_with("<body id=\"quellorin\">\n<p>Loading...</p>\n</body>\n</html>\n"));
  EXPECT_EQ(page.find("quadrantChart"), std::string::npos);
  EXPECT_NE(page.find("\"pie\", \"requirementDiagram\""), std::string::npos);
  EXPECT_EQ(page.find(", \"\","), std::string::npos) << "no empty entry is left in the keyword list";

  // Every other occurrence goes too, the style's included.
  EXPECT_EQ(
      WebView::pageText("<style>.quadrantChart{}</style>", "[\"a\", \"quadrantChart\", \"b\"] quadrantChart"),
      "<!DOCTYPE html>\n<html>\n<head>\n\n<style>.{}</style>[\"a\", \"b\"] ");
}

TEST_F(AnswerWebViewTest, ThePageLoadsOnceBasedAtTheResources) {
  open("<p>one</p>");
  update();
  card->setHTMLContent("<p>two</p>");
  update();
  const auto& loads = webView()->host().htmlLoads();
  ASSERT_EQ(loads.size(), 1u);
  EXPECT_EQ(loads[0].html, WebView::pageText(DetachedWebView::styleBlock()));
  EXPECT_EQ(loads[0].baseURL, platform::Bundle::main()->resourcePath());
  EXPECT_NE(webView()->navigationDelegate(), nullptr);
  EXPECT_TRUE(webView()->host().finishLoading()) << "the coordinator lets the page load";
}

TEST_F(AnswerWebViewTest, EveryUpdatePushesTheContentThenMeasures) {
  open("");
  environment.environment().userDefaults->setString("Language", "fr");
  update();
  card->setHTMLContent("<p>answer</p>");
  update();
  update();  // unchanged content is pushed again
  const std::vector<std::string> expected = {
      WebView::contentScript("<p>Loading...</p>"),    WebView::measureScript,
      WebView::contentScript("<p>Chargement...</p>"), WebView::measureScript,
      WebView::contentScript("<p>answer</p>"),        WebView::measureScript,
      WebView::contentScript("<p>answer</p>"),        WebView::measureScript,
  };
  EXPECT_EQ(scripts(), expected);
}

TEST_F(AnswerWebViewTest, HeightsAreReportedAndScrolledOnlyWhenTheyChange) {
  struct Step {
    std::optional<std::string> measured;  // the script's answer
    double previousHeight;
    std::size_t scrolls;
    double cardHeight;
  };
  const Step steps[] = {
      {"0", 0, 0, 42},  // same as the start: nothing
      {"120", 120, 1, 120},
      {"120", 120, 1, 120},  // unchanged
      {std::nullopt, 120, 1, 120},
      {"tall", 120, 1, 120},     // not a number
      {"500", 500, 2, 300},      // capped
      {"640.5", 640.5, 3, 300},  // still capped: the card does not change
      {"80", 80, 4, 80},         // shrinks
  };
  open("<p>x</p>");
  for (const auto& step : steps) {
    SCOPED_TRACE(step.measured.value_or("(none)"));
    pageHeight = step.measured;
    update();
    EXPECT_EQ(card->webView()->previousHeight(), step.previousHeight);
    EXPECT_EQ(scrolls(), step.scrolls);
    EXPECT_EQ(card->webviewHeight(), step.cardHeight);
  }
  EXPECT_EQ(cardHeights, (std::vector<double>{120, 300, 80}));
  environment.advance(0);
  EXPECT_EQ(host->find(card->id())->preferredHeight, 80);
  EXPECT_EQ(host->find(card->id())->modifiers.frame->height, 80);
}

TEST(AnswerWebViewLife, AWebViewThatOutlivesItsContentKeepsNoDelegate) {
  platform::VirtualEnvironment environment;
  auto view = std::make_shared<WebView>("<p>y</p>", nullptr, "<style></style>");
  auto platformView = view->makeWebView({0, 0, 100, 42});
  EXPECT_NE(platformView->navigationDelegate(), nullptr);
  view->updateWebView(platformView);
  view.reset();
  EXPECT_EQ(platformView->navigationDelegate(), nullptr);
  EXPECT_TRUE(platformView->host().finishLoading());
}

TEST_F(AnswerWebViewTest, TheCardIsRoundedShadowedAndColoured) {
  open("<p>x</p>");
  const ui::Node* node = host->find(card->id());
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->kind, ui::NodeKind::webView);
  EXPECT_EQ(node->modifiers.cornerRadius, 6);
  EXPECT_EQ(node->modifiers.background, ui::Color::named("contentBgColor"));
  ASSERT_TRUE(node->modifiers.shadow.has_value());
  EXPECT_EQ(node->modifiers.shadow->color, ui::Color::black().opacity(0.06));
  EXPECT_EQ(node->modifiers.shadow->radius, 2);
  EXPECT_EQ(node->modifiers.shadow->y, 1);
  EXPECT_EQ(node->preferredHeight, 42);
}

TEST(Corners, SetOperationsAreBitwise) {
  using C = Corners;
  EXPECT_EQ((C{C::topLeft, C::bottomRight}).rawValue, 9);
  EXPECT_EQ(C{}.rawValue, 0);
  EXPECT_EQ(C::allCorners, (C{C::topLeft, C::topRight, C::bottomLeft, C::bottomRight}));
  const C a{C::topLeft, C::topRight}, b{C::topRight, C::bottomLeft};
  EXPECT_EQ(a.unionWith(b).rawValue, 7);
  EXPECT_EQ(a.intersection(b).rawValue, 2);
  EXPECT_EQ(a.symmetricDifference(b).rawValue, 5);
  EXPECT_EQ(a.subtracting(b).rawValue, 1);
  EXPECT_TRUE(a.contains(C::topLeft));
  EXPECT_TRUE(a.contains(C{}));
  EXPECT_FALSE(a.contains(b));

  C set;
  EXPECT_TRUE(set.insert(C::topLeft));
  EXPECT_FALSE(set.insert(C::topLeft));
  EXPECT_EQ(set.update(C::topLeft), C::topLeft);
  EXPECT_EQ(set.update(C::bottomLeft), std::nullopt);
  EXPECT_EQ(set.remove(C{C::topLeft, C::topRight}), C::topLeft);
  EXPECT_EQ(set.remove(C::topRight), std::nullopt);
  EXPECT_EQ(set, C::bottomLeft);
}

TEST(RoundedCornerPath, EachChosenCornerIsAnArcOfTheRadius) {
  using K = PathElement::Kind;
  const double pi = std::numbers::pi;
  const platform::Rect r{10, 20, 100, 50};
  struct Case {
    Corners corners;
    double tl, tr, bl, br;
  };
  const Case cases[] = {{{}, 0, 0, 0, 0},
                        {Corners::allCorners, 8, 8, 8, 8},
                        {{Corners::topLeft, Corners::bottomRight}, 8, 0, 0, 8},
                        {Corners::topRight, 0, 8, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.corners.rawValue);
    const std::vector<PathElement> expected = {
        {K::move, {10 + c.tl, 20}},
        {K::line, {110 - c.tr, 20}},
        {K::arc, {110 - c.tr, 20 + c.tr}, c.tr, -pi / 2, 0},
        {K::line, {110, 70 - c.br}},
        {K::arc, {110 - c.br, 70 - c.br}, c.br, 0, pi / 2},
        {K::line, {10 + c.bl, 70}},
        {K::arc, {10 + c.bl, 70 - c.bl}, c.bl, pi / 2, pi},
        {K::line, {10, 20 + c.tl}},
        {K::arc, {10 + c.tl, 20 + c.tl}, c.tl, pi, 3 * pi / 2},
    };
    EXPECT_EQ((RoundedCorner{8, c.corners}.path(r)), expected);
  }
}

}  // namespace
}  // namespace quellorin
