#include "Platform/Text/CairoImageContext.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "tests/support/TemporaryFolder.h"

namespace platform {
namespace {

constexpr std::uint32_t kOpaqueRed = 0xFFFF0000;
constexpr std::uint32_t kOpaqueBlue = 0xFF0000FF;

TEST(CairoImageContextTest, FillsAtTheScaleAsked) {
  CairoImageContext context(10, 10, 2.0);
  EXPECT_EQ(context.pixelWidth(), 20);
  context.setFillColor(Color::redColor());
  context.fillRect({2, 2, 3, 3});
  EXPECT_EQ(context.pixel(5, 5), kOpaqueRed);
  EXPECT_EQ(context.pixel(9, 9), kOpaqueRed);
  EXPECT_EQ(context.pixel(10, 10), 0U);
  EXPECT_EQ(context.pixel(3, 3), 0U);
}

TEST(CairoImageContextTest, RestoreBringsBackTheFillColour) {
  CairoImageContext context(4, 4);
  context.setFillColor(Color::redColor());
  context.saveGState();
  context.setFillColor(Color::blueColor());
  context.fillRect({0, 0, 1, 1});
  context.restoreGState();
  context.fillRect({2, 2, 1, 1});
  EXPECT_EQ(context.pixel(0, 0), kOpaqueBlue);
  EXPECT_EQ(context.pixel(2, 2), kOpaqueRed);
  EXPECT_THROW(context.restoreGState(), std::logic_error);
}

TEST(CairoImageContextTest, WritesAPngFile) {
  CairoImageContext context(4, 4);
  testsupport::TemporaryFolder folder("cairo-image-context-");
  const std::filesystem::path path = folder.path() / "image.png";
  context.writePNG(path);
  std::ifstream file(path, std::ios::binary);
  char signature[8] = {};
  file.read(signature, sizeof signature);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
  EXPECT_THROW(context.writePNG("/nonexistent-folder/image.png"), std::runtime_error);
}

}  // namespace
}  // namespace platform
