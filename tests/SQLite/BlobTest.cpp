#include "SQLite/Blob.h"

#include <gtest/gtest.h>

namespace {

TEST(Blob, DescriptionWritesEachByteAsTwoLowerCaseDigitsAndCopiesCompareByContent) {
  const sql::Blob blob({0, 10, 255});
  EXPECT_EQ(blob.description(), "x'000aff'");
  EXPECT_EQ(blob.toHex(), "000aff");
  EXPECT_EQ(sql::Blob().description(), "x''");
  const unsigned char raw[] = {1, 2, 3};
  sql::Blob copy(raw, sizeof raw);
  EXPECT_EQ(copy, sql::Blob({1, 2, 3}));
  EXPECT_NE(copy, sql::Blob({1, 2}));
  EXPECT_NE(copy, sql::Blob({3, 2, 1}));
  EXPECT_TRUE(sql::Blob(nullptr, 0).bytes.empty());
}

}  // namespace
