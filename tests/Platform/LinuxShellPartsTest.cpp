// The pure parts of the Linux shell services: markup escaping, the autostart entry's text and
// file, and the reading of theme names.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Platform/Desktop/Linux/GtkAppearance.h"
#include "Platform/Desktop/Linux/XdgAutostartEntry.h"
#include "Platform/Text/MarkupEscaping.h"
#include "tests/support/ScopedEnvironmentVariable.h"
#include "tests/support/TemporaryFolder.h"

namespace platform {
namespace {

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct EscapeCase {
  const char* input;
  const char* text;
  const char* attribute;
};

class MarkupEscapingTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(MarkupEscapingTest, EscapesTheReservedCharactersOnly) {
  EXPECT_EQ(markupText(GetParam().input), GetParam().text);
  EXPECT_EQ(markupAttribute(GetParam().input), GetParam().attribute);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MarkupEscapingTest,
    ::testing::Values(EscapeCase{"", "", ""}, EscapeCase{"plain /path", "plain /path", "plain /path"},
                      EscapeCase{"R&D <new>", "R&amp;D &lt;new&gt;", "R&amp;D &lt;new&gt;"},
                      EscapeCase{"say \"hi\" it's", "say \"hi\" it's", "say &quot;hi&quot; it&#39;s"},
                      EscapeCase{"&amp;", "&amp;amp;", "&amp;amp;"},
                      EscapeCase{"中文 ✓", "中文 ✓", "中文 ✓"}));

struct ExecCase {
  const char* path;
  const char* exec;
};

class AutostartExecTest : public ::testing::TestWithParam<ExecCase> {};

TEST_P(AutostartExecTest, QuotesThePathAsOneArgument) {
  EXPECT_EQ(XdgAutostartEntry::execArgument(GetParam().path), GetParam().exec);
}

// Each expected value is what the key holds in the file: the argument's own escapes, then the
// string escapes of every key's value (so an escaped character carries two backslashes).
INSTANTIATE_TEST_SUITE_P(Paths, AutostartExecTest,
                         ::testing::Values(ExecCase{"/usr/bin/quellorin", R"("/usr/bin/quellorin")"},
                                           ExecCase{"/opt/My Apps/quellorin", R"("/opt/My Apps/quellorin")"},
                                           ExecCase{"/opt/say \"hi\"/q", R"("/opt/say \\"hi\\"/q")"},
                                           ExecCase{"/opt/back\\slash/q", R"("/opt/back\\\\slash/q")"},
                                           ExecCase{"/opt/$HOME/q", R"("/opt/\\$HOME/q")"},
                                           ExecCase{"/opt/`id`/q", R"("/opt/\\`id\\`/q")"},
                                           ExecCase{"/opt/100%/q %f", R"("/opt/100%%/q %%f")"},
                                           ExecCase{"/opt/it's;&|<>*?#()~/q", R"("/opt/it's;&|<>*?#()~/q")"},
                                           ExecCase{"/opt/two\nlines\tand\rtab",
                                                    R"("/opt/two\nlines\tand\rtab")"},
                                           ExecCase{"/opt/中文/q", R"("/opt/中文/q")"}));

TEST(AutostartEntryTest, TheEntryStartsTheProgramAtLogin) {
  EXPECT_EQ(XdgAutostartEntry::entryText("/opt/My Apps/quellorin"),
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=Quellorin\n"
            "Comment=Writing assistant in the menu bar\n"
            "Exec=\"/opt/My Apps/quellorin\"\n"
            "Terminal=false\n"
            "NoDisplay=true\n"
            "X-GNOME-Autostart-enabled=true\n");
}

TEST(AutostartEntryTest, IsWrittenInTheConfigurationFolderAndRemoved) {
  testsupport::TemporaryFolder home("quellorin-autostart-");
  testsupport::ScopedEnvironmentVariable config("XDG_CONFIG_HOME", home.file("config").c_str());
  XdgAutostartEntry entry;
  const auto path = home.path() / "config" / "autostart" / "quellorin.desktop";
  EXPECT_EQ(entry.path(), path);
  EXPECT_FALSE(entry.isEnabled());

  ASSERT_TRUE(entry.enable("/usr/bin/quellorin").succeeded) << "the folder is created";
  EXPECT_TRUE(entry.isEnabled());
  EXPECT_EQ(readFile(path), XdgAutostartEntry::entryText("/usr/bin/quellorin"));
  ASSERT_TRUE(entry.enable("/opt/q").succeeded);
  EXPECT_EQ(readFile(path), XdgAutostartEntry::entryText("/opt/q")) << "replaced whole";

  std::string error;
  EXPECT_EQ(entry.disable(error), LaunchAtLogin::Removal::removed);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(entry.disable(error), LaunchAtLogin::Removal::wasAbsent);
  EXPECT_TRUE(error.empty());
}

TEST(AutostartEntryTest, StartsTheGivenProgramInPlaceOfTheBundlesPath) {
  testsupport::TemporaryFolder home("quellorin-autostart-");
  XdgAutostartEntry entry({"/usr/local/bin/quellorin", home.path()});
  ASSERT_TRUE(entry.enable("/Resources/Contents/MacOS/quellorin").succeeded);
  EXPECT_EQ(readFile(entry.path()), XdgAutostartEntry::entryText("/usr/local/bin/quellorin"));
  EXPECT_FALSE(runningExecutablePath().empty());
}

TEST(AutostartEntryTest, AFailedWriteIsAnsweredAndLeavesNoEntry) {
  testsupport::TemporaryFolder home("quellorin-autostart-");
  // A file where the folder should be: neither the folder nor the entry can be made.
  std::ofstream(home.path() / "autostart") << "in the way";
  XdgAutostartEntry entry({std::nullopt, home.path()});
  const auto outcome = entry.enable("/usr/bin/quellorin");
  EXPECT_FALSE(outcome.succeeded);
  EXPECT_NE(outcome.error.find("autostart"), std::string::npos) << outcome.error;
  EXPECT_FALSE(entry.isEnabled());

  XdgAutostartEntry unknownProgram({"", home.path()});
  EXPECT_FALSE(unknownProgram.enable("/usr/bin/quellorin").succeeded);
}

struct ThemeCase {
  const char* name;
  bool dark;
};

class ThemeNameTest : public ::testing::TestWithParam<ThemeCase> {};

TEST_P(ThemeNameTest, TellsDarkVariantsByName) {
  EXPECT_EQ(GtkAppearance::isDarkThemeName(GetParam().name), GetParam().dark);
}

INSTANTIATE_TEST_SUITE_P(Names, ThemeNameTest,
                         ::testing::Values(ThemeCase{"Adwaita", false}, ThemeCase{"Adwaita-dark", true},
                                           ThemeCase{"Adwaita:dark", true}, ThemeCase{"Yaru-Dark", true},
                                           ThemeCase{"Darkroom", false}, ThemeCase{"", false},
                                           ThemeCase{"dark", false}));

}  // namespace
}  // namespace platform
