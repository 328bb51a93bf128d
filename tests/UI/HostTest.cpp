#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "UI/Host.h"

namespace {

using ui::KeyEvent;
using ui::KeyRoute;

// A prompt bar in small: an editor with a shared focus, a send button on Command+Return, a
// transparent, a disabled and a hidden button, each with a shortcut.
class KeysView : public ui::View {
 public:
  ui::State<std::string> prompt{*this, ""};
  ui::FocusState focused{*this, true};
  std::vector<std::string> fired;

  ui::Node body() override {
    auto record = [this](std::string name) {
      return weakly(this, [name](KeysView& self) { self.fired.push_back(name); });
    };
    return ui::VStack({
        ui::TextEditor("editor", prompt.binding()).focused(focused.binding()),
        ui::Button("send", "Send", record("send")).keyboardShortcut(ui::KeyboardShortcut::character("s")),
        ui::Button("clear", "Clear", record("clear"))
            .keyboardShortcut(ui::KeyboardShortcut::character("1"))
            .opacity(0),
        ui::Button("off", "Off", record("off"))
            .keyboardShortcut(ui::KeyboardShortcut::character("2"))
            .disabled(),
        ui::HStack({ui::Button("gone", "Gone", record("gone"))
                        .keyboardShortcut(ui::KeyboardShortcut::character("3"))})
            .hidden(),
    });
  }
};

struct KeyCase {
  const char* name;
  KeyEvent event;
  bool monitorSwallows;
  KeyRoute route;
  std::vector<std::string> fired;
  std::string prompt;
};

class HostKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(HostKeyTest, RoutesThroughMonitorsShortcutsThenTheFocusedEditor) {
  platform::VirtualEnvironment environment;
  const KeyCase& c = GetParam();
  auto view = std::make_shared<KeysView>();
  auto host = ui::Host::make(view);
  std::vector<std::string> seen;
  host->addLocalKeyMonitor([&](const KeyEvent& event) -> std::optional<KeyEvent> {
    seen.push_back(event.characters);
    if (c.monitorSwallows) return std::nullopt;
    return event;
  });
  EXPECT_EQ(host->key(c.event), c.route);
  EXPECT_EQ(seen.size(), 1u) << "the monitor sees every key first";
  EXPECT_EQ(view->fired, c.fired);
  EXPECT_EQ(view->prompt.get(), c.prompt);
}

const std::uint64_t cmd = ui::modifier::command;

INSTANTIATE_TEST_SUITE_P(
    Table, HostKeyTest,
    ::testing::Values(
        KeyCase{"monitorSwallows", KeyEvent::character("s", cmd), true, KeyRoute::monitor, {}, ""},
        KeyCase{"enabledShortcut", KeyEvent::character("s", cmd), false, KeyRoute::shortcut, {"send"}, ""},
        KeyCase{
            "transparentShortcut", KeyEvent::character("1", cmd), false, KeyRoute::shortcut, {"clear"}, ""},
        KeyCase{"disabledShortcutFallsThrough",
                KeyEvent::character("2", cmd),
                false,
                KeyRoute::unhandled,
                {},
                ""},
        KeyCase{
            "hiddenShortcutFallsThrough", KeyEvent::character("3", cmd), false, KeyRoute::unhandled, {}, ""},
        KeyCase{"wrongModifiers",
                KeyEvent::character("s", cmd | ui::modifier::shift),
                false,
                KeyRoute::unhandled,
                {},
                ""},
        KeyCase{"plainKeyTypes", KeyEvent::character("s"), false, KeyRoute::editor, {}, "s"},
        KeyCase{
            "returnMakesNewLine", KeyEvent::code(ui::keycode::returnKey), false, KeyRoute::editor, {}, "\n"},
        KeyCase{
            "arrowIsNobodys", KeyEvent::code(ui::keycode::leftArrow), false, KeyRoute::unhandled, {}, ""}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(HostTest, MonitorMayChangeTheKeyAndIsRemovable) {
  platform::VirtualEnvironment environment;
  auto view = std::make_shared<KeysView>();
  auto host = ui::Host::make(view);
  auto token = host->addLocalKeyMonitor(
      [](const KeyEvent&) -> std::optional<KeyEvent> { return KeyEvent::character("x"); });
  EXPECT_EQ(host->type("ab"), 2u);
  EXPECT_EQ(view->prompt.get(), "xx");
  host->removeLocalKeyMonitor(token);
  host->type("é");
  host->key(KeyEvent::code(ui::keycode::deleteKey));
  host->type("c");
  EXPECT_EQ(view->prompt.get(), "xxc") << "delete removes one whole character";
}

TEST(HostTest, FocusStateMovesTheFocusAndUnfocusedEditorsTakeNothing) {
  platform::VirtualEnvironment environment;
  auto view = std::make_shared<KeysView>();
  auto host = ui::Host::make(view);
  EXPECT_EQ(host->focusedId(), "editor");
  view->focused.set(false);
  environment.advance(0);
  EXPECT_EQ(host->focusedId(), "");
  EXPECT_EQ(host->key(KeyEvent::character("a")), KeyRoute::unhandled);
  EXPECT_TRUE(host->click("editor"));
  EXPECT_TRUE(view->focused.get()) << "the host writes the shared focus state";
  EXPECT_EQ(host->key(KeyEvent::character("a")), KeyRoute::editor);
}

// Rows by id; each row records its appear and disappear.
class RowsView : public ui::View {
 public:
  ui::State<std::vector<std::string>> rows{*this, {"a", "b"}};
  std::vector<std::string> events;

  ui::Node body() override {
    std::vector<ui::Node> nodes;
    for (const auto& row : rows.get())
      nodes.push_back(
          ui::Text(row)
              .id("row-" + row)
              .onAppear(weakly(this, [row](RowsView& self) { self.events.push_back("+" + row); }))
              .onDisappear(weakly(this, [row](RowsView& self) { self.events.push_back("-" + row); })));
    return ui::VStack(std::move(nodes));
  }
};

TEST(HostTest, AppearAndDisappearFollowIdsAcrossRenders) {
  platform::VirtualEnvironment environment;
  auto view = std::make_shared<RowsView>();
  auto host = ui::Host::make(view);
  struct Step {
    std::vector<std::string> rows;
    std::vector<std::string> events;
  };
  const std::vector<Step> steps = {
      {{"a", "b"}, {}},            // nothing new: no events
      {{"b", "a"}, {}},            // moved, same ids
      {{"c", "a"}, {"-b", "+c"}},  // one gone, one new
      {{}, {"-c", "-a"}},          // all gone
      {{"a"}, {"+a"}},             // back again
  };
  EXPECT_EQ(view->events, (std::vector<std::string>{"+a", "+b"}));
  for (const auto& step : steps) {
    view->events.clear();
    view->rows.set(step.rows);
    environment.advance(0);
    EXPECT_EQ(view->events, step.events);
  }
}

TEST(HostTest, ChangesAreCoalescedIntoOneRender) {
  platform::VirtualEnvironment environment;
  auto view = std::make_shared<RowsView>();
  auto host = ui::Host::make(view);
  view->rows.set({"x"});
  view->rows.set({"y"});
  view->rows.set({"z"});
  environment.advance(0);
  EXPECT_EQ(host->renderCount(), 2u);
  EXPECT_NE(host->find("row-z"), nullptr);
}

class SettingView : public ui::View {
 public:
  ui::AppStorage<std::string> name{*this, "username", "未设置"};
  ui::Node body() override { return ui::Text(name.get()).id("name"); }
};

TEST(HostTest, AStoredSettingReRendersEveryHostBoundToItsKey) {
  platform::VirtualEnvironment environment;
  auto first = ui::Host::make(std::make_shared<SettingView>());
  auto second = ui::Host::make(std::make_shared<SettingView>());
  EXPECT_EQ(first->find("name")->text, "未设置");
  EXPECT_FALSE(environment.environment().userDefaults->contains("username")) << "reading stores nothing";

  std::static_pointer_cast<SettingView>(first->root())->name.set("Ada");
  EXPECT_EQ(environment.environment().userDefaults->string("username"), "Ada") << "stored at once";
  environment.advance(0);
  EXPECT_EQ(first->find("name")->text, "Ada");
  EXPECT_EQ(second->find("name")->text, "Ada");

  environment.environment().userDefaults->setString("username", "Grace");  // a service writes it
  environment.advance(0);
  EXPECT_EQ(second->find("name")->text, "Grace");
}

TEST(HostTest, HandlersOutlivingTheirViewDoNothing) {
  platform::VirtualEnvironment environment;
  auto view = std::make_shared<KeysView>();
  auto host = ui::Host::make(view);
  auto action = host->find("send")->action;
  std::weak_ptr<KeysView> weak = view;
  view.reset();
  host.reset();
  EXPECT_TRUE(weak.expired());
  action();  // must not touch the freed view
}

TEST(HostTest, RefusesActionableNodesWithoutIds) {
  platform::VirtualEnvironment environment;
  class Bad : public ui::View {
   public:
    ui::Node body() override {
      return ui::VStack({ui::Button("", "No id", [] {})});
    }
  };
  EXPECT_THROW(ui::Host::make(std::make_shared<Bad>()), std::logic_error);
}

}  // namespace
