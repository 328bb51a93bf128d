#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "Platform/Desktop/Simulated/LaunchAgentFile.h"
#include "Quellorin/Assistant/DatabaseService.h"
#include "Quellorin/Settings/SettingsView.h"
#include "UI/HTMLRenderer.h"
#include "UI/Host.h"
#include "UI/Screenshot.h"
#include "tests/Quellorin/DesktopFixture.h"
#include "tests/support/TemporaryFolder.h"

namespace {

class SettingsScreenshotIntegrationTest : public testsupport::DesktopFixture {};

TEST_F(SettingsScreenshotIntegrationTest, WritesEveryPageSignedInAndOutInLightAndDark) {
  testsupport::TemporaryFolder home("quellorin-settings-shots-");
  quellorin::DatabaseService store(home.path() / "db.sqlite3");
  const auto folder = std::filesystem::path(QUELLORIN_BINARY_DIR) / "screenshots";
  env().userDefaults->setString("Language", "en");
  for (bool signedIn : {false, true}) {
    if (signedIn) {
      env().userDefaults->setString("SessionToken", "token");
      env().userDefaults->setString("username", "Ada");
      env().userDefaults->setString("email", "ada@example.com");
      env().userDefaults->setString("subscriptionVersion", "Pro");
      env().userDefaults->setString("maxFastCount", "500");
      env().userDefaults->setInteger("apiUsageCount", 42);
      env().userDefaults->setInteger("qualityCount", 3);
      env().userDefaults->setInteger("maxSubCount", 50);
    }
    quellorin::SettingsServices services;
    services.store = &store;
    services.fetchUserSubInfo = [] {};
    services.launchAtLogin = std::make_shared<platform::LaunchAgentFile>(home.path());
    auto view = quellorin::SettingsView::make(services);
    auto host = ui::Host::make(view, {450, ui::ColorScheme::light});
    settle(0);
    for (auto tab : {quellorin::SettingsTab::general, quellorin::SettingsTab::config,
                     quellorin::SettingsTab::appearance, quellorin::SettingsTab::applicationInfo}) {
      view->selectedTab.set(tab);
      settle(0);
      for (auto scheme : {ui::ColorScheme::light, ui::ColorScheme::dark}) {
        const std::string name = "settings-" + std::string(quellorin::tag(tab)) +
                                 (signedIn ? "-signed-in" : "-signed-out") +
                                 (scheme == ui::ColorScheme::light ? "-light" : "-dark") + ".png";
        const auto png = folder / name;
        ASSERT_TRUE(
            ui::screenshotHTML(ui::renderHTML(host->tree(), {scheme, 450, "Settings"}), png, {450, 420, 60}))
            << png;
        std::ifstream file(png, std::ios::binary);
        char signature[8] = {};
        file.read(signature, 8);
        EXPECT_EQ(std::string(signature + 1, 3), "PNG") << name;
      }
    }
  }
}

}  // namespace
