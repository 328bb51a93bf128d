#include "Quellorin/Shell/SoftwareUpdater.h"

#include <gtest/gtest.h>

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

TEST(FeedReadingTest, ReadsTheNewestVersionOfAFeed) {
  EXPECT_EQ(FeedUpdater::newestVersion("<rss version=\"2.0\"><item><x:version>100</x:version>"
                                       "<x:shortVersionString>1.2.3</x:shortVersionString></item></rss>"),
            "1.2.3");
  EXPECT_EQ(FeedUpdater::newestVersion("<item><enclosure url=\"a\" x:shortVersionString=\"2.0\"/></item>"),
            "2.0");
  EXPECT_EQ(FeedUpdater::newestVersion("<?xml version=\"1.0\"?><rss version=\"2.0\"></rss>"), "");
  // Items in any order: the greatest version counts, compared by number, not by text.
  EXPECT_EQ(FeedUpdater::newestVersion("<item><s:shortVersionString>1.9</s:shortVersionString></item>"
                                       "<item><s:shortVersionString>1.10</s:shortVersionString></item>"
                                       "<item><enclosure s:shortVersionString=\"1.2\"/></item>"),
            "1.10");
  EXPECT_EQ(FeedUpdater::newestVersion("<item><enclosure url=\"a\" s:shortVersionString=\"3.0\"/></item>"
                                       "<item><s:shortVersionString>2.5</s:shortVersionString></item>"),
            "3.0");
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
