#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Quellorin/Assistant/Pipeline.h"
#include "UI/Scene.h"
#include "UI/View.h"

namespace quellorin {

class AppearanceManager;
class LanguageManager;
class SoftwareUpdater;

// One choice of the space-bar trigger's menu: `id` is what "SpecialKeyFeatureStatus" stores,
// `localizedText` the key of its visible name.
struct LanguageOption {
  std::string id;
  std::string localizedText;
};

// The application type: its scenes (the settings scene, and from system 13 on the menu-bar extra
// whose menu is this view's body), the settings the menu shows and changes, and the handlers that
// keep them in step with the store.
//
// Made once per run; main queue only. Handlers hold it weakly.
class TessivalApp : public ui::View {
 public:
  // What the application reaches outside itself; tests give their own.
  struct Dependencies {
    // The store's pipelines, in order (the shared store by default).
    std::function<std::vector<Pipeline>()> pipelines;
    // The one updater of the application; none: the update item does nothing.
    std::shared_ptr<SoftwareUpdater> updater;
    // Ends the application (the menu's quit item).
    std::function<void()> terminate;
    // Makes the settings window's root view; none: the settings scene has no content yet.
    std::function<std::shared_ptr<ui::View>()> settingsView;
  };

  static const std::vector<LanguageOption>& languageOptions();

  // Reads the stored settings (see the fields) and starts observing "UserInfoChanged",
  // "PipelineUpdated" and the session token.
  static std::shared_ptr<TessivalApp> make(Dependencies dependencies);
  ~TessivalApp() override;

  // The scenes for the running system version.
  ui::Scenes scenes();
  // Its parts: the settings scene makes a new settings view each time it is asked.
  ui::SettingsScene settingsScene();
  std::optional<ui::MenuBarExtra> menuBarExtra();
  // The menu-bar extra's content: the menu.
  ui::Node body() override;

  void reloadAccountFromDefaults();
  void syncSelectedPipeline();
  void refreshViewId();
  void clearPipelineSelection();
  void selectPipeline(const Pipeline& pipeline);
  void selectSpacebarLanguage(const LanguageOption& option);
  void checkForUpdates();

  const std::string& selectedOption() const { return selectedOption_.get(); }
  std::string selectedPipeline() const { return selectedPipeline_.get(); }
  bool isLoggedIn() const { return isLoggedIn_.get(); }
  const std::shared_ptr<LanguageManager>& languageManager() const { return languageManager_; }
  const std::shared_ptr<AppearanceManager>& appearanceManager() const { return appearanceManager_; }

 private:
  explicit TessivalApp(Dependencies dependencies);
  void start();
  std::vector<ui::Node> pipelineItems();
  ui::Node accountRow();

  Dependencies dependencies_;
  ui::AppStorage<std::string> viewRefreshId_;
  ui::State<std::string> selectedOption_;
  ui::AppStorage<std::string> selectedPipeline_;
  ui::AppStorage<std::int64_t> apiRequestCount_;
  ui::AppStorage<std::string> maxFastCount_;
  std::shared_ptr<LanguageManager> languageManager_;
  std::shared_ptr<AppearanceManager> appearanceManager_;
  ui::AppStorage<bool> isLoggedIn_;
  // Shown with the "notset" placeholder while empty; the placeholder is never stored.
  ui::AppStorage<std::string> username_;

  // The pipelines as read when the refresh token last changed.
  std::optional<std::string> pipelinesReadFor_;
  std::vector<Pipeline> pipelines_;

  std::shared_ptr<platform::NotificationCenter> notificationCenter_;
  std::shared_ptr<platform::UserDefaults> store_;
  std::vector<platform::NotificationCenter::ObserverToken> observers_;
  std::optional<platform::UserDefaults::ObserverToken> tokenObserver_;
};

}  // namespace quellorin
