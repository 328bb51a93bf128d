#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Platform/Desktop/Window.h"
#include "Quellorin/Shell/OnboardingView.h"
#include "ShellFixture.h"
#include "UI/HTMLRenderer.h"
#include "UI/Host.h"
#include "UI/Screenshot.h"

namespace quellorin {
namespace {

std::filesystem::path screenshotFolder() {
  return std::filesystem::path(QUELLORIN_BINARY_DIR) / "screenshots";
}

bool isPNG(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  char signature[8] = {};
  in.read(signature, 8);
  return std::string(signature + 1, 3) == "PNG";
}

class ShellScreenshotIntegrationTest : public testsupport::ShellFixture {};

TEST_F(ShellScreenshotIntegrationTest, WritesTheMenuBarMenuAndTheOnboardingWindowInLightAndDark) {
  env().userDefaults->setString("Language", "en");
  env().userDefaults->setString("SessionToken", "t0k");
  env().userDefaults->setString("username", "ann@example.com");
  env().userDefaults->setInteger("apiUsageCount", 12);
  env().userDefaults->setString("maxFastCount", "50");
  env().userDefaults->setString("SpecialKeyFeatureStatus", "FR");
  pipelines = {{1, "Translate", {}}, {2, "Optimize expression", {}}, {3, "Identify tasks", {}}};
  start();
  ASSERT_TRUE(shell->menuBarExtra()->choose("pipeline.2"));
  settle(0.3);
  const auto host = shell->delegate()->onboardingHost();
  ASSERT_EQ(players.size(), 1u);
  players[0]->setDuration(OnboardingView::videoURLs()[0].url, 6);
  settle(1.2);  // with the 0.3 s above, a quarter of the first video has played
  EXPECT_NEAR(shell->delegate()->onboardingView()->progress(), 0.25, 1e-6);
  const auto menu = shell->menuBarExtra()->menu();
  for (const auto scheme : {ui::ColorScheme::light, ui::ColorScheme::dark}) {
    const std::string suffix = scheme == ui::ColorScheme::light ? "light" : "dark";
    const auto menuPNG = screenshotFolder() / ("shell-menu-" + suffix + ".png");
    ASSERT_TRUE(ui::screenshotHTML(ui::renderMenuHTML(menu, {scheme, 0, "Quellorin"}, "pipelines"), menuPNG,
                                   {560, 330, 60}));
    EXPECT_TRUE(isPNG(menuPNG));
    const auto onboardingPNG = screenshotFolder() / ("shell-onboarding-" + suffix + ".png");
    const auto height = static_cast<int>(shell->delegate()->onboardingWindow()->frame().height);
    ASSERT_TRUE(ui::screenshotHTML(
        ui::renderHTML(host->tree(),
                       {scheme, OnboardingView::width, shell->delegate()->onboardingWindow()->title()}),
        onboardingPNG, {720, height, 60}));
    EXPECT_TRUE(isPNG(onboardingPNG));
  }
}

}  // namespace
}  // namespace quellorin
