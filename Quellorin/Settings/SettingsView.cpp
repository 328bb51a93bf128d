#include "Quellorin/Settings/SettingsView.h"

#include <utility>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Core/Paths.h"
#include "Platform/Crypto/UUID.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Quellorin/Assistant/DatabaseService.h"
#include "Quellorin/Common/Account.h"
#include "UI/Scene.h"

namespace quellorin {

namespace {

std::shared_ptr<platform::UserDefaults> defaults() { return platform::Environment::current()->userDefaults; }

std::string storedText(const std::string& key) { return defaults()->string(key).value_or(""); }

std::optional<std::string> storedOptionalText(const std::string& key) { return defaults()->string(key); }

std::optional<std::int64_t> storedPipelineId() {
  auto object = defaults()->object("currentPipelineId");
  if (!object) return std::nullopt;
  if (const auto* number = std::get_if<std::int64_t>(&*object)) return *number;
  return std::nullopt;
}

// The container of the pages with a form style: grouped from system 13 on, a padded, rounded,
// shadowed page below.
ui::Node settingsFormStyle(ui::Node page) {
  if (ui::systemVersion().isAtLeast(13)) return page;
  page.padding().background(ui::Color::named("windowBackgroundColor")).cornerRadius(8);
  page.shadow(ui::Shadow{ui::Color::black().opacity(0.33), 1, 0, 0});
  return page;
}

}  // namespace

SettingsView::SettingsView(SettingsServices services)
    : viewRefreshId(*this, "viewRefreshId", platform::randomUUIDString()),
      appearance(*this, "Appearance", "system"),
      language(*this, "Language", "zh"),
      services_(std::move(services)) {
  if (!services_.launchAtLogin) {
    services_.launchAtLogin = platform::Environment::current()->launchAtLogin;
  }
  if (!services_.makeUpdater) {
    services_.makeUpdater = [](const UpdaterDelegate& delegate) {
      return std::make_shared<StandardUpdaterController>(delegate);
    };
  }
  if (!services_.fetchUserSubInfo) services_.fetchUserSubInfo = [] { quellorin::fetchUserSubInfo(); };

  const auto store = defaults();
  globalShortcut.set(store->string("GlobalShortcut").value_or(defaultShortcut));
  isLoggedIn.set(store->string("SessionToken").has_value());
  userInfo.set({{"username", storedText("username")},
                {"email", storedText("email")},
                {"userId", storedText("userId")}});
  apiUsageCount.set(store->integer("apiUsageCount"));
  qualityCount.set(store->integer("qualityCount"));
  maxSubCount.set(store->integer("maxSubCount"));
  maxFastCount.set(storedText("maxFastCount"));
  subscriptionVersion.set(storedOptionalText("subscriptionVersion"));
  period_ends_at.set(storedOptionalText("periodEndsAt"));
  currentPipelineId.set(storedPipelineId());
  pipelines.set(this->store().getPipelines());
  launchAtStartup.set(store->bool_("LaunchAtStartup"));
}

std::shared_ptr<SettingsView> SettingsView::make(SettingsServices services) {
  std::shared_ptr<SettingsView> view(new SettingsView(std::move(services)));
  view->observeNotifications();
  return view;
}

SettingsView::~SettingsView() {
  auto center = platform::NotificationCenter::defaultCenter();
  for (const auto& token : lifetimeObservers_) center->removeObserver(token);
  for (const auto& token : appearanceObservers_) center->removeObserver(token);
  if (eventMonitor_) {
    if (auto host = eventMonitor_->first.lock()) host->removeLocalKeyMonitor(eventMonitor_->second);
  }
}

DatabaseService& SettingsView::store() const {
  return services_.store ? *services_.store : *DatabaseService::shared();
}

void SettingsView::observeNotifications() {
  auto center = platform::NotificationCenter::defaultCenter();
  const auto observe = [&](const std::string& name, auto handler) {
    lifetimeObservers_.push_back(
        center->addObserver(name, platform::NotificationCenter::Delivery::mainQueue, weakly(this, handler)));
  };
  observe("PipelineSelectionChanged",
          [](SettingsView& self, const platform::Notification&) { self.onPipelineSelectionChanged(); });
  observe("ChangeSettingsTab", [](SettingsView& self, const platform::Notification& notification) {
    self.changeTab(notification);
  });
  observe("UserDidLogin", [](SettingsView& self, const platform::Notification&) { self.reloadUserInfo(); });
  observe("UserSubscriptionInfoUpdated",
          [](SettingsView& self, const platform::Notification&) { self.reloadSubscriptionInfo(); });
  observe("OpenSetting", [](SettingsView& self, const platform::Notification&) { self.onOpenSetting(); });
  observe("PipelineUpdated", [](SettingsView& self, const platform::Notification&) {
    self.pipelines.set(self.store().getPipelines());
  });
}

ui::Node SettingsView::body() {
  auto selection = ui::Binding<std::string>([selected = selectedTab] { return std::string(tag(*selected)); },
                                            [selected = selectedTab](std::string value) {
                                              if (auto tab = settingsTabFromTag(value)) selected.set(*tab);
                                            });
  ui::Node general = settingsFormStyle(generalPage());
  general.tabItem(platform::localizedString("pipeline"), "pencil").tagged("general");
  ui::Node config = settingsFormStyle(accountPage());
  config.tabItem(platform::localizedString("config"), "keyboard").tagged("config");
  ui::Node appearancePageNode = appearancePage();
  appearancePageNode.padding(ui::EdgeInsets{0, 40, 0, 40})
      .tabItem(platform::localizedString("appearance"), "paintpalette");
  appearancePageNode.tagged("appearance");
  ui::Node info = settingsFormStyle(applicationInfoPage());
  info.tabItem(platform::localizedString("applicationInfo"), "info.circle").tagged("applicationInfo");

  ui::Node tabs =
      ui::TabView("settings-tabs", selection,
                  {std::move(general), std::move(config), std::move(appearancePageNode), std::move(info)});
  tabs.hoverCursor(ui::Cursor::pointingHand);
  // The refresh id names the container, so a new value builds the pages anew (their appear
  // handlers run again) while the window's state stays.
  ui::Node root = ui::Group({std::move(tabs)}).id("settings-" + viewRefreshId.get());
  root.frame(450.0, 300.0);
  root.onAppear(weakly(this, [](SettingsView& self) { self.onAppearSetup(); }));
  root.onDisappear(weakly(this, [](SettingsView& self) { self.onDisappearCleanup(); }));
  return root;
}

void SettingsView::onPipelineSelectionChanged() { reloadPipelines(); }

void SettingsView::reloadPipelines() {
  currentPipelineId.set(storedPipelineId());
  pipelines.set(store().getPipelines());
}

void SettingsView::changeTab(const platform::Notification& notification) {
  if (!notification.object) return;
  if (auto tab = settingsTabForRequest(*notification.object)) selectedTab.set(*tab);
}

void SettingsView::reloadUserInfo() {
  auto info = *userInfo;
  info["username"] = storedText("username");
  info["email"] = storedText("email");
  userInfo.set(std::move(info));
  const auto store = defaults();
  apiUsageCount.set(store->integer("apiUsageCount"));
  maxFastCount.set(storedText("maxFastCount"));
  qualityCount.set(store->integer("qualityCount"));
  maxSubCount.set(store->integer("maxSubCount"));
  subscriptionVersion.set(storedOptionalText("subscriptionVersion"));
  period_ends_at.set(storedOptionalText("periodEndsAt"));
  isLoggedIn.set(true);
}

void SettingsView::reloadSubscriptionInfo() {
  const auto store = defaults();
  subscriptionVersion.set(storedOptionalText("subscriptionVersion"));
  period_ends_at.set(storedOptionalText("periodEndsAt"));
  apiUsageCount.set(store->integer("apiUsageCount"));
  maxFastCount.set(storedText("maxFastCount"));
  qualityCount.set(store->integer("qualityCount"));
  maxSubCount.set(store->integer("maxSubCount"));
  auto info = *userInfo;
  info["username"] = storedText("username");
  info["email"] = storedText("email");
  userInfo.set(std::move(info));
}

void SettingsView::onOpenSetting() { services_.fetchUserSubInfo(); }

void SettingsView::onAppearSetup() {
  reloadPipelines();
  services_.fetchUserSubInfo();
  // One updater for the life of the window, started once; reappearing keeps it.
  if (!updaterController_) {
    updaterController_ = services_.makeUpdater(updaterDelegate_);
    updaterController_->startUpdater();
    isUpdaterStarted.set(true);
  }
  auto center = platform::NotificationCenter::defaultCenter();
  for (const auto& token : appearanceObservers_) center->removeObserver(token);
  appearanceObservers_.clear();
  appearanceObservers_.push_back(
      center->addObserver("ApiUsageCountUpdated", platform::NotificationCenter::Delivery::mainQueue,
                          weakly(this, [](SettingsView& self, const platform::Notification&) {
                            self.apiUsageCount.set(defaults()->integer("apiUsageCount"));
                          })));
  appearanceObservers_.push_back(
      center->addObserver("FetchUserSubscriptionInfo", platform::NotificationCenter::Delivery::mainQueue,
                          [](const platform::Notification&) {
                            platform::log("FetchUserSubscriptionInfo notification received");
                          }));
}

void SettingsView::onDisappearCleanup() {
  if (updaterController_) updaterController_->setAutomaticallyChecksForUpdates(true);
  // Only what appearing added: the window's own subscriptions stay for when it is shown again.
  auto center = platform::NotificationCenter::defaultCenter();
  for (const auto& token : appearanceObservers_) center->removeObserver(token);
  appearanceObservers_.clear();
  isRecordingShortcut.set(false);
  stopShortcutRecording();
}

}  // namespace quellorin
