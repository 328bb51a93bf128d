// The account page of SettingsView, with its launch-at-startup switch.

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <utility>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Desktop/Alert.h"
#include "Platform/Desktop/Workspace.h"
#include "Platform/Dispatch/Clock.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Quellorin/Services/NotificationService.h"
#include "Quellorin/Settings/SettingsView.h"
#include "Quellorin/Common/ServiceAddress.h"

namespace quellorin {

namespace {

// Profile expiry fields above this are in milliseconds: as seconds they would lie past the
// year 5138.
constexpr std::int64_t largestExpiryInSeconds = 100'000'000'000;

std::string formatCount(std::int64_t value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%" PRId64, value);
  return buffer;
}

ui::Node labelledValue(const std::string& labelKey, std::string value) {
  return ui::HStack({ui::Text(platform::localizedString(labelKey)), ui::Spacer(),
                     ui::Text(std::move(value)).foreground(ui::Color::named("gray"))});
}

}  // namespace

TokenExpiry tokenExpiry(const std::optional<platform::DefaultsValue>& stored, double now) {
  if (!stored) return TokenExpiry::unknown;
  double expiresAt = 0;
  if (const auto* date = std::get_if<platform::DefaultsDate>(&*stored)) {
    expiresAt = std::chrono::duration<double>(date->time_since_epoch()).count();
  } else if (const auto* number = std::get_if<std::int64_t>(&*stored)) {
    if (*number <= 0) return TokenExpiry::unknown;
    expiresAt =
        *number > largestExpiryInSeconds ? static_cast<double>(*number) / 1000 : static_cast<double>(*number);
  } else if (const auto* real = std::get_if<double>(&*stored)) {
    if (!(*real > 0)) return TokenExpiry::unknown;
    expiresAt = *real > static_cast<double>(largestExpiryInSeconds) ? *real / 1000 : *real;
  } else {
    return TokenExpiry::unknown;
  }
  return expiresAt <= now ? TokenExpiry::expired : TokenExpiry::valid;
}

ui::Node SettingsView::accountPage() {
  const auto gray = ui::Color::named("gray");
  std::vector<ui::Node> account;
  if (!*isLoggedIn) {
    account.push_back(
        ui::HStack({ui::Text(platform::localizedString("notLoggedIn")), ui::Spacer(),
                    ui::Button("login", platform::localizedString("login"),
                               weakly(this, [](SettingsView& self) { self.openLoginPage(); }))}));
  } else {
    const auto& info = *userInfo;
    const auto name = info.find("username");
    const auto email = info.find("email");
    ui::Node nameValue = name != info.end() && !name->second.empty()
                             ? ui::Text(name->second).foreground(ui::Color::primary())
                             : ui::Text(platform::localizedString("notset")).foreground(gray);
    ui::Node nameLine =
        ui::HStack({ui::Text(platform::localizedString("username") + ": ").foreground(ui::Color::primary()),
                    std::move(nameValue)},
                   ui::Alignment::center, 0);
    ui::Node emailLine = ui::Text(platform::localizedString("email") + ": " +
                                  (email != info.end() ? email->second : std::string()))
                             .padding(ui::EdgeInsets{5, 0, 0, 0});
    ui::Node logoutButton = actionButton("logout", "logout", hoverlogoutBgColor, 12,
                                         weakly(this, [](SettingsView& self) { self.logout(); }));
    account.push_back(
        ui::HStack({ui::VStack({std::move(nameLine), std::move(emailLine)}, ui::Alignment::leading),
                    ui::Spacer(), std::move(logoutButton)}));
    account.push_back(labelledValue("subscriptionVersion", subscriptionVersion->value_or("UNKNOWN")));
    account.push_back(labelledValue("expiryDate", period_ends_at->value_or("UNKNOWN")));
  }
  ui::Node accountSection = ui::Section(
      ui::Text(platform::localizedString("userInformation")).font(ui::Font::headline()), std::move(account));
  // Named by the refresh id, so a rebuilt window checks the expiry again.
  accountSection.id("account-section-" + viewRefreshId.get());
  accountSection.onAppear(weakly(this, [](SettingsView& self) { self.checkTokenExpiry(); }));

  auto toggle = ui::Binding<bool>([state = launchAtStartup] { return *state; },
                                  weakly(this, [](SettingsView& self, bool value) {
                                    if (value != *self.launchAtStartup) self.onLaunchAtStartupChanged(value);
                                  }));
  ui::Node generalSection = ui::Section(
      platform::localizedString("General Settings"),
      {ui::HStack(
          {ui::Toggle("launch-at-startup", platform::localizedString("Launch at Startup"), toggle)})});

  std::vector<ui::Node> header = {ui::Text(platform::localizedString("API Requests"))};
  if (!*isLoggedIn) {
    header.push_back(ui::Text(platform::localizedString("timeTips"))
                         .font(ui::Font::subheadline())
                         .foreground(gray)
                         .padding(ui::EdgeInsets{0, 0, 5, 0}));
  }
  std::vector<ui::Node> requests = {
      ui::HStack({ui::Text(platform::localizedString("fastAPIRequests")), ui::Spacer(),
                  ui::Text(formatCount(*apiUsageCount) + " / " + *maxFastCount).id("fast-count")})};
  if (*isLoggedIn) {
    requests.push_back(ui::HStack(
        {ui::Text(platform::localizedString("highQualityAPIRequests")), ui::Spacer(),
         ui::Text(formatCount(*qualityCount) + " / " + formatCount(*maxSubCount)).id("quality-count")}));
  }
  ui::Node requestsSection =
      ui::Section(ui::VStack(std::move(header), ui::Alignment::leading), std::move(requests));
  return ui::Form({std::move(accountSection), std::move(generalSection), std::move(requestsSection)})
      .id("page-config");
}

ui::Node SettingsView::actionButton(const std::string& id, const std::string& titleKey,
                                    ui::State<ui::Color> color, double horizontalPadding,
                                    std::function<void()> action) {
  ui::Node button = ui::Button(id, platform::localizedString(titleKey), std::move(action));
  button.padding(ui::EdgeInsets{4, horizontalPadding, 4, horizontalPadding})
      .background(*color)
      .cornerRadius(6);
  button.stroke(ui::Color::named("gray").opacity(0.5), 1, 8).hoverCursor(ui::Cursor::pointingHand);
  button.onHover(
      [color](bool inside) { color.set(ui::Color::named(inside ? "setHoverBtColor" : "contentBgColor")); });
  return button;
}

void SettingsView::openLoginPage() { openURL(serviceBaseURL() + "/auth/login?callback=macos"); }

void SettingsView::logout() {
  isLoggedIn.set(false);
  userInfo.set({});
  auto store = platform::Environment::current()->userDefaults;
  store->remove("SessionToken");
  store->remove("tokenExpireAt");
  store->remove("userId");
  if (store->string("SessionToken")) {
    platform::MainQueue::main()->asyncAfter(0.3, [fetch = services_.fetchUserSubInfo] { fetch(); });
  } else {
    services_.fetchUserSubInfo();
  }
}

void SettingsView::checkTokenExpiry() {
  auto environment = platform::Environment::current();
  auto store = environment->userDefaults;
  switch (tokenExpiry(store->object("tokenExpireAt"), platform::Clock::current()->wallTime())) {
    case TokenExpiry::unknown:
      // No usable expiry: the stored token decides, as the service will.
      isLoggedIn.set(store->string("SessionToken").has_value());
      break;
    case TokenExpiry::valid:
      isLoggedIn.set(true);
      break;
    case TokenExpiry::expired:
      isLoggedIn.set(false);
      userInfo.set({});
      store->remove("SessionToken");
      store->remove("tokenExpireAt");
      environment->alertPresenter->runModal(platform::Alert{platform::AlertStyle::warning,
                                                            platform::localizedString("tokenExpired"),
                                                            platform::localizedString("pleaseLoginAgain"),
                                                            {"OK"}});
      break;
  }
}

void SettingsView::onLaunchAtStartupChanged(bool value) {
  pendingLaunchAtStartupChange.set(value);
  launchAtStartup.set(value);
  if (value) {
    installLaunchAgent();
  } else {
    platform::Environment::current()->userDefaults->setBool("LaunchAtStartup", false);
    removeLaunchAgent();
  }
}

}  // namespace quellorin
