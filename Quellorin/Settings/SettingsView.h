#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Defaults/DefaultsValue.h"
#include "Platform/Desktop/LaunchAtLogin.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Quellorin/Assistant/Pipeline.h"
#include "Quellorin/Settings/SettingsTab.h"
#include "Quellorin/Settings/UpdaterController.h"
#include "Quellorin/Shell/OnboardingWindow.h"
#include "Quellorin/Shell/UpdaterDelegate.h"
#include "UI/Host.h"
#include "UI/KeyEvent.h"
#include "UI/View.h"

namespace quellorin {

class DatabaseService;

// What the settings window works with; each empty member takes the application's own.
struct SettingsServices {
  DatabaseService* store = nullptr;                        // DatabaseService::shared(); must outlive the view
  std::shared_ptr<platform::LaunchAtLogin> launchAtLogin;  // the environment's
  std::function<std::shared_ptr<UpdaterController>(const UpdaterDelegate&)> makeUpdater;
  std::function<void()> fetchUserSubInfo;  // quellorin::fetchUserSubInfo
};

// How a stored "tokenExpireAt" reads against the clock.
enum class TokenExpiry { unknown, valid, expired };
// The stored value is a date (the login callback) or a number (the profile's expiry field: in
// seconds since 1970, or in milliseconds when it is too large for seconds). A missing value,
// 0 (a profile without the field), or any other type is unknown. `now` in seconds since 1970.
TokenExpiry tokenExpiry(const std::optional<platform::DefaultsValue>& stored, double now);

// The global shortcut a key-down records: its display string when the key carries Command,
// Option or Control; none for a key without them (Shift alone is not enough), which would
// make ordinary typing open the window.
std::optional<std::string> recordableShortcut(const ui::KeyEvent& event);

// The settings window's root view: four pages in a tab view, all state of the window, and its
// wiring to the rest of the application through notifications and stored settings.
//
// Made with make() on the main thread (it observes the default notification centre for as long
// as it lives, holding itself weakly). Everything runs on the main queue. The settings scene
// hands it the language and appearance objects; the view reads and writes their stored keys
// ("Language", "Appearance") and posts "languageChanged".
//
// Ids a person acts on: "settings-tabs" (the tab view; its items "settings-tabs/<tag>"),
// "shortcut" and "shortcut-cancel", "pipeline-<id>" and "pipeline-delete-<id>", "login",
// "logout", "launch-at-startup", "appearance-<value>" and "appearance-caption-<value>",
// "language", "check-for-updates", "feedback", "guide-video", "system-preferences".
class SettingsView : public ui::View {
 public:
  static std::shared_ptr<SettingsView> make(SettingsServices services = {});
  ~SettingsView() override;

  ui::Node body() override;

  static constexpr const char* accessibilityPane =
      "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";
  static constexpr const char* feedbackPath = "/Feature-Requests-69cf8543cdd44e7d888adc0ce3d6e5b5";
  static constexpr const char* defaultShortcut = "\u2318 + \u21E7 + \u2423";

  // Window state, readable by tests and the pages.
  ui::State<SettingsTab> selectedTab{*this, SettingsTab::config};
  ui::State<std::string> globalShortcut{*this, ""};
  ui::State<bool> isRecordingShortcut{*this, false};
  ui::State<bool> isLoggedIn{*this, false};
  ui::State<std::map<std::string, std::string>> userInfo{*this, {}};
  ui::State<std::int64_t> apiUsageCount{*this, 0};
  ui::State<std::int64_t> qualityCount{*this, 0};
  ui::State<std::int64_t> maxSubCount{*this, 0};
  ui::State<std::string> maxFastCount{*this, ""};
  ui::State<std::optional<std::string>> subscriptionVersion{*this, std::nullopt};
  ui::State<std::optional<std::string>> period_ends_at{*this, std::nullopt};
  ui::State<bool> isUpdaterStarted{*this, false};
  ui::State<bool> isOnboardingPresented{*this, false};
  ui::State<std::optional<std::int64_t>> currentPipelineId{*this, std::nullopt};
  ui::State<std::vector<Pipeline>> pipelines{*this, {}};
  ui::State<std::optional<std::int64_t>> hoveredPipelineId{*this, std::nullopt};
  ui::State<bool> launchAtStartup{*this, false};
  ui::State<bool> pendingLaunchAtStartupChange{*this, false};
  ui::State<ui::Color> hovercheckBgColor{*this, ui::Color::named("contentBgColor")};
  ui::State<ui::Color> hovercommentBgColor{*this, ui::Color::named("contentBgColor")};
  ui::State<ui::Color> hoverVideoBgColor{*this, ui::Color::named("contentBgColor")};
  ui::State<ui::Color> hoverlogoutBgColor{*this, ui::Color::named("contentBgColor")};
  ui::AppStorage<std::string> viewRefreshId;
  ui::AppStorage<std::string> appearance;
  ui::AppStorage<std::string> language;

  const std::shared_ptr<UpdaterController>& updaterController() const { return updaterController_; }
  bool isRecorderInstalled() const { return eventMonitor_.has_value(); }

  // Handlers, by the names the rest of the application knows them.
  void onPipelineSelectionChanged();
  void reloadPipelines();
  void changeTab(const platform::Notification& notification);
  void reloadUserInfo();
  void reloadSubscriptionInfo();
  void onOpenSetting();
  void onAppearSetup();
  void onDisappearCleanup();

  // Shortcut and pipeline page.
  void startShortcutRecording();
  void stopShortcutRecording();
  // Answers whether the key was taken (always, while recording: it reaches no control).
  void recordShortcut(const ui::KeyEvent& event);
  void togglePipelineSelection(std::optional<std::int64_t> id, const std::string& name);
  void deletePipeline(std::optional<std::int64_t> id);
  void postPipelineUpdated();

  // Account page.
  void openLoginPage();
  void logout();
  void checkTokenExpiry();
  void onLaunchAtStartupChanged(bool value);

  // Launch at startup.
  void installLaunchAgent();
  void removeLaunchAgent();
  static std::string executablePath();

  // Appearance page.
  void selectAppearance(const std::string& value);
  void changeLanguage(const std::string& code);

  // Application information page.
  void checkForUpdates();
  void openFeedbackPage();
  void openAccessibilitySettings();
  // The feature-video guide in its own window; a second call brings the open one to the front.
  void openGuideVideo();
  const std::unique_ptr<OnboardingWindow>& guideWindow() const { return guideWindow_; }
  static void openURL(const std::string& text);

 private:
  explicit SettingsView(SettingsServices services);
  void observeNotifications();

  ui::Node generalPage();
  ui::Node pipelineRow(const Pipeline& pipeline);
  ui::Node accountPage();
  ui::Node appearancePage();
  ui::Node appearanceCard(const std::string& value);
  ui::Node applicationInfoPage();
  ui::Node actionButton(const std::string& id, const std::string& titleKey, ui::State<ui::Color> color,
                        double horizontalPadding, std::function<void()> action);

  DatabaseService& store() const;

  SettingsServices services_;
  UpdaterDelegate updaterDelegate_;
  std::shared_ptr<UpdaterController> updaterController_;
  std::optional<std::pair<std::weak_ptr<ui::Host>, ui::Host::MonitorToken>> eventMonitor_;
  std::vector<platform::NotificationCenter::ObserverToken> lifetimeObservers_;
  std::vector<platform::NotificationCenter::ObserverToken> appearanceObservers_;
  std::unique_ptr<OnboardingWindow> guideWindow_;
};

}  // namespace quellorin
