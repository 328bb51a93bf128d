#include "Platform/Http/HttpStatusPhrase.h"

#include <gtest/gtest.h>

namespace {

TEST(HttpStatusPhrase, NamesKnownCodesAndFallsBackToTheClass) {
  EXPECT_EQ(platform::httpStatusPhrase(404), "not found");
  EXPECT_EQ(platform::httpStatusPhrase(204), "no content");
  EXPECT_EQ(platform::httpStatusPhrase(503), "service unavailable");
  EXPECT_EQ(platform::httpStatusPhrase(299), "success");
  EXPECT_EQ(platform::httpStatusPhrase(399), "redirected");
  EXPECT_EQ(platform::httpStatusPhrase(499), "client error");
  EXPECT_EQ(platform::httpStatusPhrase(599), "server error");
  EXPECT_EQ(platform::httpStatusPhrase(0), "unknown");
  EXPECT_EQ(platform::httpStatusPhrase(700), "unknown");
}

}  // namespace
