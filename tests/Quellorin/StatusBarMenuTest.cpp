// The menu-bar extra's menu handed to the desktop's status bar: the model the status item
// builds its real menu from, kept in step with the view, and choosing through it.

#include <gtest/gtest.h>

#include "Platform/Desktop/StatusBar.h"
#include "Quellorin/Settings/SettingsWindow.h"
#include "Quellorin/Shell/StatusBarMenu.h"
#include "ShellFixture.h"

namespace quellorin {
namespace {

// A status bar that keeps what it was given.
class RecordingStatusBar final : public platform::StatusBar {
 public:
  void show(const std::string& shownTitle, const std::string& shownSymbol) override {
    title = shownTitle;
    symbol = shownSymbol;
    shown = true;
  }
  void setMenu(std::vector<platform::MenuEntry> entries) override {
    menu = std::move(entries);
    ++menus;
  }
  void remove() override { shown = false; }
  bool isConnected() const override { return shown; }

  const platform::MenuEntry& entry(const std::string& id) const { return *find(menu, id); }
  static const platform::MenuEntry* find(const std::vector<platform::MenuEntry>& entries,
                                         const std::string& id) {
    for (const auto& entry : entries) {
      if (entry.id == id && !entry.separator) return &entry;
      if (const auto* inner = find(entry.submenu, id)) return inner;
    }
    return nullptr;
  }

  std::string title, symbol;
  bool shown = false;
  int menus = 0;
  std::vector<platform::MenuEntry> menu;
};

class StatusBarMenuTest : public testsupport::ShellFixture {
 protected:
  StatusBarMenuTest() {
    env().userDefaults->setBool("hasSeenOnboarding", true);
    env().statusBar = bar;
    pipelines = {{1, "Translate", {}}, {2, "Structure", {}}};
  }

  // Chooses an entry as the desktop does: its action runs on the main queue.
  void choose(const std::string& id) {
    const auto* entry = RecordingStatusBar::find(bar->menu, id);
    ASSERT_TRUE(entry && entry->action) << id;
    env().mainQueue->async(entry->action);
    settle(0.5);
  }

  std::shared_ptr<RecordingStatusBar> bar = std::make_shared<RecordingStatusBar>();
};

TEST_F(StatusBarMenuTest, TheMenuTreeBecomesTheStatusItemsMenu) {
  start();
  EXPECT_TRUE(bar->shown);
  EXPECT_EQ(bar->title, L("Quellorin"));
  EXPECT_EQ(bar->symbol, "sparkles");

  // The view's menu, in order, with its separator and submenus.
  ASSERT_EQ(bar->menu.size(), shell->menuBarExtra()->menu().size());
  struct Expected {
    const char* id;
    std::string title;
    bool checked;
    bool hasAction;
  };
  for (const auto& expected : {Expected{"pipeline.none", L("quellorinClose"), true, true},
                               Expected{"pipeline.2", L("Structure"), false, true},
                               Expected{"spacebar.disabled", L("disabled"), true, true},
                               Expected{"spacebar.EN", L("EN"), false, true},
                               Expected{"pipelines", L("pipelinesTitle") + " " + L("notset"), false, false},
                               Expected{"exit", L("exit"), false, true}}) {
    const auto& entry = bar->entry(expected.id);
    EXPECT_EQ(entry.title, expected.title) << expected.id;
    EXPECT_EQ(entry.checked, expected.checked) << expected.id;
    EXPECT_EQ(static_cast<bool>(entry.action), expected.hasAction) << expected.id;
    EXPECT_TRUE(entry.enabled) << expected.id;
  }
  EXPECT_EQ(bar->entry("pipelines").submenu.back().title, L("settings"));
  EXPECT_TRUE(bar->menu[4].separator);
}

TEST_F(StatusBarMenuTest, ChoosingAnEntryActsAndTheNewMenuFollows) {
  start();
  const int before = bar->menus;
  choose("spacebar.EN");
  EXPECT_EQ(env().userDefaults->string("SpecialKeyFeatureStatus"), "EN");
  EXPECT_GT(bar->menus, before) << "the view rendered again, and the status item got its new menu";
  EXPECT_TRUE(bar->entry("spacebar.EN").checked);
  EXPECT_FALSE(bar->entry("spacebar.disabled").checked);
  EXPECT_EQ(bar->entry("spacebar").title, L("spacebarTrigger") + L("translateTo") + " " + L("EN"));

  choose("pipeline.1");
  EXPECT_EQ(env().userDefaults->integer("currentPipelineId"), 1);
  EXPECT_TRUE(bar->entry("pipeline.1").checked);
  EXPECT_FALSE(bar->entry("pipeline.none").checked);

  choose("checkForUpdates");
  EXPECT_EQ(updater->checks, 1);
  EXPECT_FALSE(shell->settingsWindow()->isOpen());
  choose("settings");
  EXPECT_TRUE(shell->settingsWindow()->isOpen());
}

TEST(StatusBarEntriesTest, DisabledItemsAndTextsCannotBeChosen) {
  ui::MenuItem text{"note", "Just a line", "", false, false, false, {}, {}};
  ui::MenuItem off{"off", "Off", "", false, true, false, {}, [] {}};
  ui::MenuItem on{"on", "On", "gear", true, false, false, {}, [] {}};
  ui::MenuItem sub{"sub", "More", "", true, false, false, {on, ui::MenuItem::divider()}, {}};
  const auto entries = statusBarEntries({text, off, sub}, {});
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_FALSE(entries[0].enabled);
  EXPECT_FALSE(entries[0].action);
  EXPECT_FALSE(entries[1].enabled);
  EXPECT_TRUE(entries[1].checked);
  EXPECT_FALSE(entries[2].action) << "a submenu opens; it is not chosen";
  ASSERT_EQ(entries[2].submenu.size(), 2u);
  EXPECT_TRUE(entries[2].submenu[1].separator);
  // With the view gone, choosing does nothing rather than reaching a dead host.
  ASSERT_TRUE(entries[2].submenu[0].action);
  entries[2].submenu[0].action();
}

}  // namespace
}  // namespace quellorin
