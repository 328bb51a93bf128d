#include "Platform/Desktop/Window.h"

#include <gtest/gtest.h>

#include "Platform/Desktop/Screens.h"
#include "Platform/Desktop/Simulated/SimulatedScreens.h"
#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "Platform/Desktop/WindowServer.h"

namespace platform {
namespace {

TEST(Window, OnlyTitledWindowsBecomeKeyByDefault) {
  VirtualEnvironment environment;
  auto titled = std::make_shared<Window>(Rect{0, 0, 10, 10}, windowstyle::titled, 2, false);
  auto borderless = std::make_shared<Window>(Rect{0, 0, 10, 10}, windowstyle::fullSizeContentView, 2, false);
  titled->makeKeyAndOrderFront();
  borderless->makeKeyAndOrderFront();
  EXPECT_TRUE(titled->isKeyWindow());
  EXPECT_FALSE(borderless->isKeyWindow());
  EXPECT_EQ(environment.environment().windowServer->windows().front(), borderless);

  titled->close();
  EXPECT_TRUE(titled->isClosed());
  EXPECT_FALSE(titled->isVisible());
  EXPECT_FALSE(environment.environment().windowServer->keyWindow());
  borderless->orderOut();
  EXPECT_FALSE(borderless->isClosed());
  EXPECT_TRUE(environment.environment().windowServer->windows().empty());
}

TEST(Window, CountsRedisplays) {
  VirtualEnvironment environment;
  Window window(Rect{1, 2, 3, 4}, 0, 2, false);
  window.setFrame({5, 6, 7, 8}, false);
  window.setFrame({5, 6, 7, 9}, true);
  EXPECT_EQ(window.frame(), (Rect{5, 6, 7, 9}));
  EXPECT_EQ(window.displayCount(), 1);
}

TEST(Screens, ContainmentIncludesTheLowerEdgesOnly) {
  const Rect screen{0, 0, 100, 50};
  EXPECT_TRUE(rectContainsPoint(screen, {0, 0}));
  EXPECT_FALSE(rectContainsPoint(screen, {100, 10}));
  EXPECT_TRUE(rectContainsRect(screen, {0, 0, 100, 50}));
  EXPECT_FALSE(rectContainsRect(screen, {90, 0, 20, 10}));
  SimulatedScreens screens;
  EXPECT_FALSE(screens.mainScreen());
  screens.setScreens({screen, {100, 0, 50, 50}});
  EXPECT_EQ(screens.mainScreen(), screen);
}

}  // namespace
}  // namespace platform
