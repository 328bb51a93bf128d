#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "UI/HTMLRenderer.h"
#include "UI/Layout.h"

namespace {

ui::Node sampleTree(const ui::Binding<bool>& toggle) {
  return ui::VStack(
             {
                 ui::HStack({ui::Symbol("sparkles"), ui::Text("Hello <world>").id("title")}).id("header"),
                 ui::Toggle("again", "Don't show again", toggle),
                 ui::Button("close", "Close", [] {})
                     .padding(4, 10)
                     .background(ui::Color::named("contentBgColor"))
                     .cornerRadius(6)
                     .keyboardShortcut(ui::KeyboardShortcut::code(ui::keycode::escape)),
             },
             ui::Alignment::leading)
      .padding(12)
      .id("window-content");
}

TEST(HTMLRendererTest, StacksBecomeFlexBoxesAndEveryNodeHasItsId) {
  std::string html = ui::renderHTML(sampleTree(ui::Binding<bool>::constant(true)), {});
  struct Expected {
    const char* fragment;
  };
  for (
      const Expected& e : std::vector<Expected>{
          {R"(<div id="window-content" class="ui-vstack" style="gap:8px;align-items:flex-start;padding:12px)"},
          {R"(<div id="header" class="ui-hstack" style="gap:8px;align-items:center;">)"},
          {R"(<span id="header.0" class="ui-symbol"><svg)"},
          {R"(<span id="title" class="ui-text">Hello &lt;world&gt;</span>)"},
          {R"(<input type="checkbox" checked><span>Don&#39;t show again</span>)"},
          {R"(background:var(--color-contentBgColor,#f0f);border-radius:6px;overflow:hidden;)"},
          {R"(data-shortcut="⌘⎋")"},
      })
    EXPECT_NE(html.find(e.fragment), std::string::npos) << e.fragment;
  // Ids are unique.
  std::regex idPattern(R"re( id="([^"]+)")re");
  std::set<std::string> ids;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), idPattern); it != std::sregex_iterator();
       ++it)
    EXPECT_TRUE(ids.insert((*it)[1]).second) << "duplicate id " << (*it)[1];
}

TEST(HTMLRendererTest, NamedColoursComeFromTheTableOfTheScheme) {
  ui::Node tree = ui::Text("x").background(ui::Color::named("contentBgColor"));
  struct Case {
    ui::ColorScheme scheme;
    const char* htmlClass;
    const char* variable;
  };
  for (const Case& c :
       {Case{ui::ColorScheme::light, "<html class=\"light\">", "--color-contentBgColor:rgba(255,255,255,1)"},
        Case{ui::ColorScheme::dark, "<html class=\"dark\">", "--color-contentBgColor:rgba(44,44,46,1)"}}) {
    std::string html = ui::renderHTML(tree, {c.scheme, 0, ""});
    EXPECT_NE(html.find(c.htmlClass), std::string::npos);
    EXPECT_NE(html.find(c.variable), std::string::npos) << c.variable;
  }
  EXPECT_EQ(ui::Color::named("gray").opacity(0.5).css(),
            "color-mix(in srgb,var(--color-gray,#f0f) 50%,transparent)");
  EXPECT_EQ(ui::cssColor(ui::Color::hex("#6B39F4").resolved(ui::ColorScheme::dark)), "rgba(107,57,244,1)");
  EXPECT_EQ(ui::Color::named("noSuchAsset").resolved(ui::ColorScheme::light), (platform::Color{1, 0, 1, 1}));
}

TEST(HTMLRendererTest, OneNodesHTMLIsExactlyItsPartOfTheWindow) {
  ui::Node tree = sampleTree(ui::Binding<bool>::constant(false));
  std::string page = ui::renderHTML(tree, {ui::ColorScheme::dark, 400, "t"});
  for (const char* id : {"window-content", "header", "header.0", "title", "again", "close"}) {
    auto fragment = ui::renderNodeHTML(tree, id);
    ASSERT_TRUE(fragment) << id;
    EXPECT_EQ(fragment->rfind(std::string("<"), 0), 0u);
    EXPECT_NE(page.find(*fragment), std::string::npos) << id;
    EXPECT_NE(fragment->find(std::string("id=\"") + id + "\""), std::string::npos);
  }
  EXPECT_FALSE(ui::renderNodeHTML(tree, "missing"));
}

TEST(LayoutTest, HeightsComeFromTheTextSystemAndTheStackSpacing) {
  double line = ui::measure(ui::Text("One line"), 0).height;
  EXPECT_GT(line, 10);
  EXPECT_LT(line, 20);
  EXPECT_EQ(ui::measure(ui::VStack({ui::Text("a"), ui::Text("b")}), 0).height, 2 * line + ui::defaultSpacing);
  EXPECT_EQ(ui::measure(ui::VStack({ui::Text("a"), ui::Empty(), ui::Text("b")}).padding(10), 0).height,
            2 * line + ui::defaultSpacing + 20)
      << "an empty node takes neither room nor spacing";
  std::string longText(400, 'x');
  for (std::size_t i = 5; i < longText.size(); i += 6) longText[i] = ' ';
  double wrapped = ui::measure(ui::Text(longText), 200).height;
  EXPECT_GT(wrapped, 5 * line) << "a long text wraps at the offered width";
  EXPECT_EQ(ui::measure(ui::Text("x").frame(720, 500), 0).height, 500);
  EXPECT_GT(ui::measure(ui::Text("Big").font(ui::Font::system(26)), 0).height, line * 1.5);
}

}  // namespace
