#include "Platform/Core/Log.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(Log, CaptureSeesEveryLineAndRestoresThePreviousSink) {
  platform::LogCapture outer;
  {
    platform::LogCapture inner;
    platform::log("[info] first");
    EXPECT_EQ(inner.text(), "[info] first\n");
  }
  platform::log("second");
  EXPECT_EQ(outer.text(), "second\n");
  EXPECT_TRUE(outer.contains("sec"));
  EXPECT_FALSE(outer.contains("first"));
}

TEST(Log, LinesFromSeveralThreadsNeverInterleave) {
  platform::LogCapture capture;
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t) {
    writers.emplace_back([] {
      for (int i = 0; i < 200; ++i) platform::log("abcdefghij");
    });
  }
  for (auto& writer : writers) writer.join();
  const std::string text = capture.text();
  EXPECT_EQ(text.size(), 4u * 200u * 11u);
  for (size_t at = 0; at < text.size(); at += 11) ASSERT_EQ(text.substr(at, 11), "abcdefghij\n");
}

}  // namespace
