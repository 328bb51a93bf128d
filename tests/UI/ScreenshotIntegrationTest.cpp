#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "UI/Scene.h"
#include "UI/Screenshot.h"

namespace {

// A sample window that uses most of the layer: a tab view over a form, symbols, a toggle bound
// to a stored setting, a picker, an editor card, a web-view slot and a hover-coloured button.
class SampleView : public ui::View {
 public:
  ui::State<std::string> tab{*this, "general"};
  ui::State<std::string> prompt{*this, "Make this friendlier"};
  ui::State<std::string> language{*this, "EN"};
  ui::AppStorage<bool> noShowAgain{*this, "hasSeenOnboarding", false};
  ui::State<bool> hovering{*this, false};

  ui::Node body() override {
    ui::Node general = ui::Form({
        ui::Section(
            ui::Text("Shortcut").font(ui::Font::headline()),
            {ui::HStack({ui::Text("Global shortcut"), ui::Spacer(), ui::Text("⌘ + ⇧ + ␣").id("shortcut")})}),
        ui::Section(
            "Pipeline",
            {ui::HStack({ui::VStack({ui::Text("Translate"), ui::Text("(Smooth wording → Structure)")
                                                                .font(ui::Font::footnote())
                                                                .foreground(ui::Color::gray())},
                                    ui::Alignment::leading),
                         ui::Spacer(), ui::Symbol("checkmark"),
                         ui::Button("trash-1", ui::Symbol("trash").foreground(ui::Color::red()), [] {})}),
             ui::Picker("language", "Space bar", language.binding(),
                        {ui::Text("English").tagged("EN"), ui::Text("French").tagged("FR")})}),
    });
    ui::Node card =
        ui::HStack(
            {ui::Symbol("wand.and.stars").foreground(ui::Color::purple()).padding({0, 4, 0, 0}),
             ui::TextEditor("prompt", prompt.binding()).frame(ui::Frame{{}, {}, {}, ui::infinity, {}, {}}),
             ui::Button("submit", ui::Symbol("arrow.right.circle.fill").foreground(ui::Color::purple()),
                        [] {})})
            .padding({12, 8, 12, 8})
            .background(ui::Color::named("contentBgColor"))
            .cornerRadius(6);
    ui::Node bar =
        ui::HStack({ui::Toggle("no-show", "Don't show again", noShowAgain.binding()), ui::Spacer(),
                    ui::Button("close", "Close", [] {})
                        .padding({4, 10, 4, 10})
                        .background(ui::Color::named(hovering.get() ? "setHoverBtColor" : "contentBgColor"))
                        .cornerRadius(6)
                        .stroke(ui::Color::gray().opacity(0.5), 1, 8)
                        .hoverCursor(ui::Cursor::pointingHand)
                        .onHover([hovering = hovering](bool inside) { hovering.set(inside); })})
            .padding({0, 10, 15, 10});
    return ui::VStack({
        ui::TabView("tabs", tab.binding(),
                    {general.tabItem("Pipeline", "pencil").tagged("general"),
                     ui::VStack({card, ui::WebViewSlot("answer", 60)})
                         .padding(10)
                         .tabItem("Assistant", "keyboard")
                         .tagged("assistant")}),
        ui::Divider(),
        bar,
    });
  }
};

std::filesystem::path screenshotFolder() {
  return std::filesystem::path(QUELLORIN_BINARY_DIR) / "screenshots";
}

TEST(ScreenshotIntegrationTest, WritesTheSampleWindowInLightAndDark) {
  platform::VirtualEnvironment environment;
  auto view = std::make_shared<SampleView>();
  auto host = ui::Host::make(view, {480, ui::ColorScheme::light});
  ASSERT_TRUE(host->hover("close", true));
  environment.advance(0);
  EXPECT_EQ(host->cursor(), ui::Cursor::pointingHand);
  EXPECT_GT(host->measuredHeight(), 150);
  for (auto scheme : {ui::ColorScheme::light, ui::ColorScheme::dark}) {
    const char* name = scheme == ui::ColorScheme::light ? "ui-sample-light.png" : "ui-sample-dark.png";
    std::string html = ui::renderHTML(host->tree(), {scheme, 480, "Sample"});
    auto png = screenshotFolder() / name;
    ASSERT_TRUE(ui::screenshotHTML(html, png, {480, 340, 60})) << png;
    std::ifstream file(png, std::ios::binary);
    char signature[8] = {};
    file.read(signature, 8);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
  }
}

TEST(ScreenshotIntegrationTest, WritesAMenuWithAnOpenSubmenu) {
  ui::MenuItem english{"EN", "English", "", true, true, false, {}, {}};
  ui::MenuItem french{"FR", "French", "", true, false, false, {}, {}};
  ui::MenuItem submenu{"spacebar", "Space bar: English", "", true, false, false, {english, french}, {}};
  std::vector<ui::MenuItem> menu = {{"account", "Log in", "person.circle", true, false, false, {}, {}},
                                    submenu,
                                    ui::MenuItem::divider(),
                                    {"exit", "Quit", "", true, false, false, {}, {}}};
  for (auto scheme : {ui::ColorScheme::light, ui::ColorScheme::dark}) {
    const char* name = scheme == ui::ColorScheme::light ? "ui-menu-light.png" : "ui-menu-dark.png";
    auto png = screenshotFolder() / name;
    EXPECT_TRUE(
        ui::screenshotHTML(ui::renderMenuHTML(menu, {scheme, 0, "Menu"}, "spacebar"), png, {460, 200, 60}));
  }
}

}  // namespace
