#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Core/Geometry.h"

namespace platform {
class Window;
class WindowContent;
}  // namespace platform

namespace quellorin {

class CustomWindow;
class TextHandlingService;

// Owns the one floating window in which the assistant works: borderless, transparent, with a
// shadow, above ordinary and floating windows. It opens just below the selection, hosts a
// fresh root view at every show, grows and shrinks with its content without sinking below
// 100 points above its screen's bottom, and hands the focus back to the application the
// selection came from. Coordinates are screen coordinates (origin at the bottom left of the
// primary screen). Main thread only.
class WindowService {
 public:
  // Makes the root view of a show from the selected text (empty when none), the start-work
  // flag and the window's size. The assistant view plugs in here.
  using RootViewFactory = std::function<std::shared_ptr<platform::WindowContent>(
      const std::string& text, bool autoWork, platform::Size size)>;

  static constexpr const char* settingsWindowIdentifier = "com_apple_SwiftUI_Settings_window";

  // `textHandling` tells which element had the focus before the window opened.
  explicit WindowService(std::shared_ptr<TextHandlingService> textHandling);

  static std::shared_ptr<WindowService> shared();

  void setRootViewFactory(RootViewFactory factory);

  // Opens the window with its top edge 4 points below (x, y), closing the settings window.
  void showWindow(const std::optional<std::string>& text, bool autoWork, double x, double y);
  // Gives the window height `height`, keeping its top edge, but never below the floor.
  void resizeWindow(double width, double height);
  // Activates the application that held the focused element of the last capture.
  void restoreFocusToOriginalApp();
  // The first screen whose frame contains the window's whole frame.
  static std::optional<platform::Rect> screenContainingWindow(const std::vector<platform::Rect>& screens,
                                                              const platform::Window& window);

  std::shared_ptr<CustomWindow> mainWindow() const { return mainWindow_; }
  platform::Size viewSize() const { return viewSize_; }
  // Where showWindow last put the window's origin (its bottom-left corner, screen coordinates).
  platform::Point windowOrigin() const { return windowOrigin_; }

 private:
  void closeSettingsWindows() const;
  void createMainWindow();

  const std::shared_ptr<TextHandlingService> textHandling_;
  RootViewFactory rootViewFactory_;
  std::shared_ptr<CustomWindow> mainWindow_;
  const platform::Size viewSize_{600, 130};
  platform::Point windowOrigin_;
};

}  // namespace quellorin
