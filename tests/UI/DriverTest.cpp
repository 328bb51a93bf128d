#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "UI/Host.h"

namespace {

// What a settings window hands down: a shared model that announces its changes.
struct LanguageModel : ui::ObservableObject {
  std::string language = "zh";
};

class ChildView : public ui::View {
 public:
  ui::Node body() override {
    auto model = environmentObject<LanguageModel>();
    return ui::Text(model ? model->language : "none").id("language");
  }
};

class ControlsView : public ui::View {
 public:
  ui::State<int> taps{*this, 0};
  ui::AppStorage<bool> flag{*this, "hasSeenOnboarding", false};
  ui::State<std::string> choice{*this, "EN"};
  ui::State<std::string> tab{*this, "general"};
  std::shared_ptr<ChildView> child = std::make_shared<ChildView>();
  std::shared_ptr<LanguageModel> model = std::make_shared<LanguageModel>();

  ui::Node body() override {
    auto tap = [taps = taps] { taps.set(taps.get() + 1); };
    return ui::VStack({
        ui::Button("plain", "Plain", tap),
        ui::Button("off", "Off", tap).disabled(),
        ui::VStack({ui::Button("inside", "Inside", tap)}).disabled(),
        ui::Button("hidden", "Hidden", tap).hidden(),
        ui::Text("tappable").id("label").onTap(tap),
        ui::Text("inert").id("inert"),
        ui::Toggle("flag", "Flag", flag.binding()),
        ui::Picker("picker", "Language", choice.binding(),
                   {ui::Text("English").tagged("EN"), ui::Text("French").tagged("FR")}),
        ui::TabView("tabs", tab.binding(),
                    {ui::Text("one").tabItem("One").tagged("general"),
                     ui::Text("two").tabItem("Two").tagged("config")}),
        ui::Embed(child).environmentObject(model),
    });
  }
};

TEST(DriverTest, ActsLikeAPersonAndRefusesWhatIsDisabledOrHidden) {
  platform::VirtualEnvironment environment;
  auto view = std::make_shared<ControlsView>();
  auto host = ui::Host::make(view);
  struct Act {
    const char* what;
    std::function<bool()> act;
    bool taken;
    int taps;
  };
  const std::vector<Act> acts = {
      {"plain button", [&] { return host->click("plain"); }, true, 1},
      {"disabled button", [&] { return host->click("off"); }, false, 1},
      {"button in a disabled stack", [&] { return host->click("inside"); }, false, 1},
      {"hidden button", [&] { return host->click("hidden"); }, false, 1},
      {"text with a tap handler", [&] { return host->click("label"); }, true, 2},
      {"text without one", [&] { return host->click("inert"); }, false, 2},
      {"unknown id", [&] { return host->click("nothing"); }, false, 2},
      {"picker option", [&] { return host->select("picker", "FR"); }, true, 2},
      {"picker unknown option", [&] { return host->select("picker", "XX"); }, false, 2},
      {"tab item", [&] { return host->click("tabs/config"); }, true, 2},
      {"toggle", [&] { return host->click("flag"); }, true, 2},
  };
  for (const Act& a : acts) {
    EXPECT_EQ(a.act(), a.taken) << a.what;
    EXPECT_EQ(view->taps.get(), a.taps) << a.what;
  }
  EXPECT_EQ(view->choice.get(), "FR");
  EXPECT_EQ(view->tab.get(), "config");
  EXPECT_TRUE(environment.environment().userDefaults->bool_("hasSeenOnboarding"))
      << "the toggle stores at once";
}

TEST(DriverTest, EnvironmentObjectsReachViewsBelowAndTheirChangesReRender) {
  platform::VirtualEnvironment environment;
  auto view = std::make_shared<ControlsView>();
  auto host = ui::Host::make(view);
  EXPECT_EQ(host->find("language")->text, "zh");
  EXPECT_EQ(view->child->host(), host);
  EXPECT_EQ(view->child->environmentObject<LanguageModel>(), view->model);
  EXPECT_EQ(view->environmentObject<LanguageModel>(), nullptr) << "objects go down, not up";
  auto renders = host->renderCount();
  view->model->language = "fr";
  view->model->objectDidChange();
  environment.advance(0);
  EXPECT_EQ(host->renderCount(), renders + 1);
  EXPECT_EQ(host->find("language")->text, "fr");
}

}  // namespace
