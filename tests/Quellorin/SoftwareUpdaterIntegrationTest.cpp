#include "Quellorin/Shell/SoftwareUpdater.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform/Core/Bundle.h"
#include "tests/Quellorin/ServiceFixture.h"

namespace quellorin {
namespace {

struct VersionCase {
  const char* candidate;
  const char* installed;
  bool newer;
};

class FeedVersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(FeedVersionTest, ComparesDottedVersionsPartByPart) {
  EXPECT_EQ(FeedUpdater::isNewer(GetParam().candidate, GetParam().installed), GetParam().newer);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, FeedVersionTest,
    ::testing::Values(VersionCase{"1.0.0", "0.1.0", true}, VersionCase{"0.1.0", "0.1.0", false},
                      VersionCase{"0.10", "0.9", true}, VersionCase{"0.9", "0.10", false},
                      VersionCase{"1", "1.0.0", false}, VersionCase{"1.0.1", "1", true},
                      VersionCase{"", "0.1.0", false}, VersionCase{"1.2.10", "1.2.9", true},
                      VersionCase{"10.0", "9.99.99", true}, VersionCase{"2.0.0", "10.0", false},
                      VersionCase{"0.1.0.1", "0.1", true}, VersionCase{"1.0.0-beta", "1.0.0", false}));

struct FeedCase {
  const char* name;
  std::string feed;
  std::string version;
};

// The feed comes from the network: a megabyte of one tag must be read, not overflow the stack.
TEST(FeedReadingTest, ReadsTheNewestVersionOfAFeed) {
  const std::string megabyte(1 << 20, '1');
  std::string unclosedTags;
  while (unclosedTags.size() < megabyte.size()) unclosedTags += "<enclosure ";
  const std::vector<FeedCase> cases = {
      {"element",
       "<rss version=\"2.0\"><item><x:version>100</x:version>"
       "<x:shortVersionString> 1.2.3\n</x:shortVersionString></item></rss>",
       "1.2.3"},
      {"attribute", "<item><enclosure url=\"a\" x:shortVersionString=\"2.0\"/></item>", "2.0"},
      {"no version", "<?xml version=\"1.0\"?><rss version=\"2.0\"></rss>", ""},
      {"the greatest of an element and an attribute",
       "<enclosure shortVersionString=\"2.0\"/><shortVersionString>1.0</shortVersionString>", "2.0"},
      {"the greatest of the items, by number",
       "<item><s:shortVersionString>1.9</s:shortVersionString></item>"
       "<item><s:shortVersionString>1.10</s:shortVersionString></item><item><enclosure "
       "s:shortVersionString=\"1.2\"/>",
       "1.10"},
      {"the last attribute of a tag", "<enclosure shortVersionString=\"1.0\" x:shortVersionString = \"2.0\">",
       "2.0"},
      {"the first tag that has one", "<enclosure a=\"1\"><enclosure\tshortVersionString=\"3\">", "3"},
      {"another tag name", "<enclosures shortVersionString=\"1.0\">", ""},
      {"a version that is no number", "<shortVersionString>beta</shortVersionString>", ""},
      {"a megabyte of tag text",
       "<enclosure " + std::string(megabyte.size(), 'a') + " shortVersionString=\"3.1\"", "3.1"},
      {"a megabyte of version", "<shortVersionString>" + megabyte + "<", megabyte},
      {"a megabyte of unclosed tags", unclosedTags + "shortVersionString=\"4\"", "4"},
  };
  for (const auto& c : cases) EXPECT_EQ(FeedUpdater::newestVersion(c.feed), c.version) << c.name;
}

class SoftwareUpdaterIntegration : public testsupport::ServiceFixture {};

TEST_F(SoftwareUpdaterIntegration, TheCheckReadsTheFeedAndTellsTheUser) {
  FeedUpdater updater;
  updater.checkForUpdates();
  ASSERT_TRUE(virtualEnvironment.runUntil([&] { return !alerts->shownAlerts().empty(); }));
  EXPECT_EQ(requestsTo("/Appcast.xml").size(), 1u);
  const auto alert = alerts->shownAlerts().front();
  EXPECT_EQ(alert.messageText, platform::localizedString("updateAvailable"));
  EXPECT_EQ(alert.informativeText, "1.0.0\n" + platform::localizedString("updateInstallHint"));
}

TEST_F(SoftwareUpdaterIntegration, AnUnreadableFeedIsReported) {
  useServiceURL("http://127.0.0.1:1");  // nothing listens there
  FeedUpdater updater;
  updater.checkForUpdates();
  ASSERT_TRUE(virtualEnvironment.runUntil([&] { return !alerts->shownAlerts().empty(); }));
  EXPECT_EQ(alerts->shownAlerts().front().messageText, platform::localizedString("updateCheckFailed"));
}

}  // namespace
}  // namespace quellorin
