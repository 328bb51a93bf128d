// The application information page of SettingsView.

#include <string>
#include <utility>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Desktop/Accessibility.h"
#include "Platform/Desktop/MediaPlayer.h"
#include "Platform/Desktop/Window.h"
#include "Platform/Desktop/Workspace.h"
#include "Quellorin/Shell/Application.h"
#include "Quellorin/Settings/SettingsView.h"

namespace quellorin {

namespace {

constexpr const char* helpSite = "https://help.quellorin.com";

}  // namespace

ui::Node SettingsView::applicationInfoPage() {
  const auto gray = ui::Color::named("gray");
  const auto& info = platform::Bundle::main()->infoDictionary();
  const auto version = info.find("CFBundleShortVersionString");
  ui::Node versionText = version != info.end() && version->is_string()
                             ? ui::Text(version->get<std::string>())
                             : ui::Text(platform::localizedString("unknownVersion"));
  versionText.foreground(gray).id("version");

  ui::Node permission;
  if (platform::Environment::current()->accessibility->isProcessTrusted()) {
    permission = ui::Text(platform::localizedString("authorized"))
                     .foreground(ui::Color::hex("34C759"))
                     .id("permission");
  } else {
    ui::Node open = ui::Button("system-preferences", platform::localizedString("systemPreferences"),
                               [] { SettingsView::openURL(accessibilityPane); });
    open.foreground(ui::Color::hex("007AFF"));
    permission = ui::VStack({ui::Text(platform::localizedString("unauthorized"))
                                 .foreground(ui::Color::named("red"))
                                 .id("permission"),
                             std::move(open)});
  }

  std::vector<ui::Node> rows = {
      ui::HStack({ui::Symbol("sparkles")
                      .font(ui::Font::system(32))
                      .foreground(ui::Color::hex("#6B39F4"))
                      .frame(48.0, 48.0),
                  ui::VStack({ui::Text("Quellorin").font(ui::Font::headline())}), ui::Spacer()}),
      ui::HStack({ui::Text(platform::localizedString("version")), ui::Spacer(), std::move(versionText),
                  actionButton("check-for-updates", "checkForUpdates", hovercheckBgColor, 10,
                               weakly(this, [](SettingsView& self) { self.checkForUpdates(); }))}),
      ui::HStack({ui::Text(platform::localizedString("feedback")), ui::Spacer(),
                  actionButton("feedback", "submitComments", hovercommentBgColor, 10,
                               [] { SettingsView::openURL(std::string(helpSite) + feedbackPath); })}),
      ui::HStack({ui::Text(platform::localizedString("guideVideo")), ui::Spacer(),
                  actionButton("guide-video", "clickToView", hoverVideoBgColor, 10,
                               weakly(this, [](SettingsView& self) { self.openGuideVideo(); }))}),
      ui::HStack(
          {ui::Text(platform::localizedString("APIPermissions")), ui::Spacer(), std::move(permission)}),
  };
  return ui::Form({ui::Section("", std::move(rows))}).id("page-applicationInfo");
}

void SettingsView::checkForUpdates() {
  if (updaterController_) {
    if (!*isUpdaterStarted) updaterController_->startUpdater();
    updaterController_->checkForUpdates();
  }
  isUpdaterStarted.set(true);
}

void SettingsView::openFeedbackPage() { openURL(std::string(helpSite) + feedbackPath); }

void SettingsView::openAccessibilitySettings() { openURL(accessibilityPane); }

void SettingsView::openGuideVideo() {
  if (!guideWindow_) {
    guideWindow_ = std::make_unique<OnboardingWindow>(
        isOnboardingPresented.binding(),
        [] {
          const auto& make = platform::Environment::current()->makeMediaPlayer;
          return make ? make() : nullptr;
        },
        platform::windowstyle::titled | platform::windowstyle::closable |
            platform::windowstyle::miniaturizable);
  }
  if (!guideWindow_->show()) return;
  if (const auto application = Application::current()) application->activate(true);
}

void SettingsView::openURL(const std::string& text) {
  if (text.empty() || text.find(':') == std::string::npos) return;
  platform::Environment::current()->workspace->openURL(text);
}

}  // namespace quellorin
