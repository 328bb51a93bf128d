// The appearance setting reaching the desktop's own windows, and the desktop's scheme reaching
// the application.

#include <gtest/gtest.h>

#include "Platform/Desktop/DesktopAppearance.h"
#include "Quellorin/Shell/AppearanceManager.h"
#include "Quellorin/Shell/Application.h"
#include "ShellFixture.h"

namespace quellorin {
namespace {

using Scheme = platform::DesktopAppearance::Scheme;

class RecordingAppearance final : public platform::DesktopAppearance {
 public:
  Scheme systemScheme() const override { return system; }
  void setApplicationScheme(std::optional<Scheme> scheme) override { told.push_back(scheme); }
  Scheme system = Scheme::light;
  std::vector<std::optional<Scheme>> told;
};

struct SchemeCase {
  const char* value;
  Scheme system;
  std::optional<std::optional<Scheme>> told;  // none: the desktop is not told
  ui::ColorScheme pages;
};

class DesktopAppearanceTest : public testsupport::ShellFixture,
                              public ::testing::WithParamInterface<SchemeCase> {};

TEST_P(DesktopAppearanceTest, TheChoiceReachesTheToolkitAndThePages) {
  const auto& c = GetParam();
  auto desktop = std::make_shared<RecordingAppearance>();
  desktop->system = c.system;
  env().appearance = desktop;
  auto application = Application::make();
  AppearanceManager manager;  // nothing stored: follows the system
  ASSERT_EQ(desktop->told, (std::vector<std::optional<Scheme>>{std::nullopt}));
  EXPECT_EQ(application->effectiveColorScheme(),
            c.system == Scheme::dark ? ui::ColorScheme::dark : ui::ColorScheme::light);

  manager.setSelectedAppearance(c.value);
  if (c.told) {
    ASSERT_EQ(desktop->told.size(), 2u);
    EXPECT_EQ(desktop->told.back(), *c.told);
  } else {
    EXPECT_EQ(desktop->told.size(), 1u) << "a value it does not know changes nothing";
  }
  EXPECT_EQ(application->effectiveColorScheme(), c.pages);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DesktopAppearanceTest,
    ::testing::Values(
        SchemeCase{"dark", Scheme::light, std::optional<Scheme>(Scheme::dark), ui::ColorScheme::dark},
        SchemeCase{"light", Scheme::dark, std::optional<Scheme>(Scheme::light), ui::ColorScheme::light},
        SchemeCase{"system", Scheme::dark, std::optional<Scheme>(), ui::ColorScheme::dark},
        SchemeCase{"auto", Scheme::light, std::optional<Scheme>(), ui::ColorScheme::light},
        SchemeCase{"Dark", Scheme::dark, std::nullopt, ui::ColorScheme::dark}),
    [](const auto& testCase) { return "case" + std::to_string(testCase.index); });

}  // namespace
}  // namespace quellorin
