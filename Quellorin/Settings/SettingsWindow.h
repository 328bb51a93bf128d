#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "UI/Scene.h"
#include "settings_access/SettingsLink.h"

namespace platform {
class Window;
}

namespace quellorin {

// The settings scene in a window of its own. The first open makes the scene's view, a host for
// it and the window; later opens bring the same window to the front, or make a new window for
// the same view after the user closed the last one. Closing the window fires the disappear
// handlers of its content; the next open fires the appear handlers again, as a scene's window
// does when it comes back.
//
// install() makes this the window that every road to the settings opens: the shell's menus
// (SettingsOpener), the settings links and the settings selectors. Each road holds the window
// weakly; uninstall() (or the destructor) takes them back unless another window has them since.
//
// Main queue only.
class SettingsWindow : public settings_access::SettingsActionTarget,
                       public std::enable_shared_from_this<SettingsWindow> {
 public:
  // The identifier the floating assistant window looks for to close the settings first.
  static constexpr const char* identifier = "com_apple_SwiftUI_Settings_window";
  static constexpr double width = 450;
  static constexpr double height = 300;

  // Called on the first open; a scene without content opens nothing.
  using SceneFactory = std::function<std::optional<ui::SettingsScene>()>;
  static std::shared_ptr<SettingsWindow> make(SceneFactory makeScene);
  ~SettingsWindow() override;

  // Shows the window, key and in front, and activates the application. Answers false, with a
  // logged line, when the scene has no content.
  bool open();
  bool isOpen() const;
  // Closes the window when it is open, as the user's close does.
  void close();

  void install();
  void uninstall();

  bool respondsToSelector(const std::string& selector) const override;
  void sendAction(const std::string& selector) override;

  const std::shared_ptr<platform::Window>& window() const { return window_; }
  const std::shared_ptr<ui::Host>& host() const { return host_; }

 private:
  explicit SettingsWindow(SceneFactory makeScene) : makeScene_(std::move(makeScene)) {}
  void closed();

  SceneFactory makeScene_;
  std::optional<ui::SettingsScene> scene_;
  std::shared_ptr<platform::Window> window_;
  std::shared_ptr<ui::Host> host_;
};

}  // namespace quellorin
