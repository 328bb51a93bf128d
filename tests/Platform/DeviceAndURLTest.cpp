#include "Platform/Crypto/DeviceIdentifier.h"
#include "Platform/Desktop/Simulated/RecordingAlertPresenter.h"
#include "Platform/Http/URLComponents.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace {

class DeviceIdentifierTest : public ::testing::Test {
 protected:
  void SetUp() override { sources_ = {folder_.path() / "product_serial", folder_.path() / "machine-id"}; }
  void write(const std::filesystem::path& path, const std::string& text) { std::ofstream(path) << text; }

  testsupport::TemporaryFolder folder_{"quellorin-device-"};
  platform::DeviceIdentifierSources sources_;
};

TEST_F(DeviceIdentifierTest, PrefersTheProductSerial) {
  write(sources_.productSerial, "  C02XK1JHJG5J \n");
  write(sources_.machineId, "0123456789abcdef0123456789abcdef\n");
  EXPECT_EQ(platform::readDeviceIdentifier(sources_), "C02XK1JHJG5J");
}

TEST_F(DeviceIdentifierTest, FallsBackToTheMachineIdWhenTheSerialIsMissingOrBlank) {
  write(sources_.machineId, "0123456789abcdef0123456789abcdef\n");
  EXPECT_EQ(platform::readDeviceIdentifier(sources_), "0123456789abcdef0123456789abcdef");
  write(sources_.productSerial, " \n");
  EXPECT_EQ(platform::readDeviceIdentifier(sources_), "0123456789abcdef0123456789abcdef");
}

TEST_F(DeviceIdentifierTest, NamesAnUnknownDeviceWhenNothingIsReadable) {
  EXPECT_EQ(platform::readDeviceIdentifier(sources_), "UnknownDeviceIdentifier");
  write(sources_.machineId, "");
  EXPECT_EQ(platform::readDeviceIdentifier(sources_), "UnknownDeviceIdentifier");
}

TEST(URLComponents, SplitsTheQueryOfACustomSchemeIntoDecodedItems) {
  const auto url = platform::URLComponents::parse("quellorin://login?token=a%20b&flag&empty=&x=1+2");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->scheme(), "quellorin");
  EXPECT_EQ(url->host(), "login");
  const auto items = url->queryItems();
  ASSERT_TRUE(items);
  const std::vector<platform::URLQueryItem> expected = {
      {"token", "a b"}, {"flag", std::nullopt}, {"empty", ""}, {"x", "1+2"}};
  EXPECT_EQ(*items, expected);
}

TEST(URLComponents, TellsNoQueryFromAnEmptyOne) {
  EXPECT_FALSE(platform::URLComponents::parse("quellorin://login")->queryItems());
  EXPECT_FALSE(platform::URLComponents::parse("quellorin://login#a?b")->queryItems());
  const auto empty = platform::URLComponents::parse("quellorin://login?")->queryItems();
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->empty());
}

TEST(URLComponents, RejectsTextThatIsNoURL) {
  EXPECT_FALSE(platform::URLComponents::parse("not a url"));
  EXPECT_FALSE(platform::URLComponents::parse(""));
  EXPECT_FALSE(platform::URLComponents::parse("http://exa mple.com/"));
}

TEST(RecordingAlertPresenter, AnswersAsScriptedAndRecordsInOrder) {
  platform::RecordingAlertPresenter presenter;
  presenter.scriptAnswer(1);
  const platform::Alert first{platform::AlertStyle::critical, "first", "", {"OK", "Cancel"}};
  const platform::Alert second{platform::AlertStyle::warning, "second", "more", {"OK"}};
  std::vector<std::string> seenAtShow;
  presenter.setOnShow([&](const platform::Alert& alert) { seenAtShow.push_back(alert.messageText); });
  EXPECT_EQ(presenter.runModal(first), 1u);
  EXPECT_EQ(presenter.runModal(second), 0u);  // the script has run out: the default button
  presenter.orderOut(second);
  using Kind = platform::RecordingAlertPresenter::Entry::Kind;
  const std::vector<platform::RecordingAlertPresenter::Entry> expected = {
      {Kind::shown, first}, {Kind::shown, second}, {Kind::orderedOut, second}};
  EXPECT_EQ(presenter.entries(), expected);
  EXPECT_EQ(presenter.shownAlerts(), (std::vector<platform::Alert>{first, second}));
  EXPECT_EQ(seenAtShow, (std::vector<std::string>{"first", "second"}));
}

}  // namespace
