#include "Platform/Text/RecordingGraphicsContext.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace platform {
namespace {

using Kind = RecordingGraphicsContext::Operation::Kind;

TEST(RecordingGraphicsContextTest, OperationsCarryTheStateTheyWereMadeIn) {
  RecordingGraphicsContext context;
  context.setFillColor(Color::redColor());
  context.saveGState();
  context.setFillColor(Color::blueColor());
  context.setStrokeColor(Color::redColor());
  context.setLineWidth(3);
  context.fillRect({1, 2, 3, 4});
  context.strokeLine({0, 5}, {10, 5});
  context.restoreGState();
  context.fillRect({5, 6, 7, 8});
  context.strokeRect({0, 0, 1, 1});

  const auto& operations = context.operations();
  ASSERT_EQ(operations.size(), 4U);
  EXPECT_EQ(operations[0].kind, Kind::fillRect);
  EXPECT_EQ(operations[0].color, Color::blueColor());
  EXPECT_EQ(operations[1].lineWidth, 3);
  EXPECT_EQ(operations[1].color, Color::redColor());
  EXPECT_EQ(operations[1].to, (Point{10, 5}));
  EXPECT_EQ(operations[2].color, Color::redColor());
  EXPECT_EQ(operations[3].lineWidth, 1);
  EXPECT_EQ(operations[3].color, Color::blackColor());
  EXPECT_EQ(context.operations(Kind::fillRect).size(), 2U);
}

TEST(RecordingGraphicsContextTest, UnbalancedRestoreIsRefused) {
  RecordingGraphicsContext context;
  EXPECT_THROW(context.restoreGState(), std::logic_error);
}

TEST(RecordingGraphicsContextTest, CurrentContextNestsPerScope) {
  RecordingGraphicsContext outer;
  RecordingGraphicsContext inner;
  EXPECT_EQ(GraphicsContext::current(), nullptr);
  {
    GraphicsContext::Current first(&outer);
    {
      GraphicsContext::Current second(&inner);
      EXPECT_EQ(GraphicsContext::current(), &inner);
    }
    EXPECT_EQ(GraphicsContext::current(), &outer);
  }
  EXPECT_EQ(GraphicsContext::current(), nullptr);
}

}  // namespace
}  // namespace platform
