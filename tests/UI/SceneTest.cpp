#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "UI/Scene.h"

namespace {

// A menu-bar menu in small: an account row, a submenu with a checked choice, a disabled item.
class MenuView : public ui::View {
 public:
  ui::State<std::string> choice{*this, "EN"};
  ui::Node body() override {
    std::vector<ui::Node> options;
    for (std::string id : {"disabled", "EN", "FR"}) {
      options.push_back(
          ui::Button("option-" + id,
                     ui::HStack({ui::Symbol("checkmark").opacity(choice.get() == id ? 1 : 0), ui::Text(id)}),
                     [choice = choice, id] { choice.set(id); }));
    }
    std::vector<ui::Node> rows = {
        ui::Button("account", ui::HStack({ui::Symbol("person.circle"), ui::Text("Log in")}), [] {}),
        ui::Menu("spacebar", "Space bar: " + choice.get(), std::move(options)),
        ui::Divider(),
    };
    if (ui::systemVersion().isAtLeast(14)) rows.push_back(ui::Button("settings", "Settings", [] {}));
    rows.push_back(ui::Button("update", "Check for updates", [] {}).disabled());
    return ui::VStack(std::move(rows));
  }
};

TEST(SceneTest, AMenuBarExtrasContentIsATreeOfMenuItems) {
  platform::VirtualEnvironment environment;
  ui::MenuBarExtraHost extra({"Quellorin", "sparkles", std::make_shared<MenuView>()});
  auto menu = extra.menu();
  ASSERT_EQ(menu.size(), 4u);
  EXPECT_EQ(menu[0].title, "Log in");
  EXPECT_EQ(menu[0].symbol, "person.circle");
  EXPECT_EQ(menu[1].title, "Space bar: EN");
  ASSERT_EQ(menu[1].submenu.size(), 3u);
  std::vector<bool> checked;
  for (const auto& item : menu[1].submenu) checked.push_back(item.checked);
  EXPECT_EQ(checked, (std::vector<bool>{false, true, false}));
  EXPECT_TRUE(menu[2].isDivider);
  EXPECT_FALSE(menu[3].enabled);

  EXPECT_FALSE(extra.choose("update")) << "a disabled item does nothing";
  EXPECT_TRUE(extra.choose("option-FR"));
  environment.advance(0);
  EXPECT_EQ(extra.menu()[1].title, "Space bar: FR");
  EXPECT_TRUE(ui::findMenuItem(extra.menu(), "option-FR")->checked);
}

TEST(SceneTest, TheSystemVersionOfTheEnvironmentPicksTheBranch) {
  struct Case {
    platform::SystemVersion version;
    bool hasSettingsItem;
  };
  for (const Case& c :
       {Case{{12, 0}, false}, Case{{13, 0}, false}, Case{{14, 0}, true}, Case{{15, 2}, true}}) {
    platform::VirtualEnvironment environment;
    environment.environment().systemVersion = c.version;
    ui::MenuBarExtraHost extra({"Quellorin", "sparkles", std::make_shared<MenuView>()});
    EXPECT_EQ(ui::findMenuItem(extra.menu(), "settings") != nullptr, c.hasSettingsItem) << c.version.major;
  }
  platform::VirtualEnvironment environment;
  EXPECT_EQ(ui::systemVersion(), (platform::SystemVersion{13, 0})) << "13 unless set";
}

TEST(SceneTest, AStatusItemRunsOnlyEnabledItems) {
  int ran = 0;
  ui::MenuItem on{"on", "Space bar", "", true, false, false, {}, [&] { ++ran; }};
  ui::MenuItem off{"off", "Off", "", false, false, false, {}, [&] { ran += 10; }};
  ui::StatusItem item("Tessival", {on, ui::MenuItem::divider(), off});
  EXPECT_TRUE(item.choose("on"));
  EXPECT_FALSE(item.choose("off"));
  EXPECT_FALSE(item.choose("none"));
  EXPECT_EQ(ran, 1);
}

}  // namespace
