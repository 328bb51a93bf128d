#pragma once

// What the tests on a real X11 desktop share (run under Xvfb with a private session bus and the
// accessibility bus; see scripts/run-desktop-tests): the Linux desktop services installed in a
// real environment, a GTK editor in another process, keys pressed as a user presses them
// (XTest), and the stand-in service. The other process and the desktop move on their own time,
// so these tests wait in real time, always for a condition and never for a fixed delay.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Platform/Core/Environment.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Desktop/Linux/LinuxDesktop.h"
#include "Platform/Desktop/Simulated/RecordingAlertPresenter.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/TaskPool.h"
#include "tests/support/StandInProcess.h"
#include "tests/support/TemporaryFolder.h"

// Last: Xlib's macros (None, Bool, Status) would clash with the declarations above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

extern char** environ;

namespace testsupport {

// The editor of tools/desktop-editor, as a child process with this process's environment and
// `extraEnvironment` ("NAME=value" entries); stopped with the object.
class EditorProcess {
 public:
  explicit EditorProcess(std::vector<std::string> arguments, std::vector<std::string> extraEnvironment = {}) {
    const std::string binary = std::string(QUELLORIN_BINARY_DIR) + "/tools/desktop-editor/desktop-editor";
    arguments.insert(arguments.begin(), binary);
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (char** entry = environ; *entry != nullptr; ++entry) envp.push_back(*entry);
    for (auto& entry : extraEnvironment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    if (posix_spawn(&pid_, binary.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) {
      throw std::runtime_error("cannot start the editor");
    }
  }
  ~EditorProcess() {
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  EditorProcess(const EditorProcess&) = delete;
  EditorProcess& operator=(const EditorProcess&) = delete;

 private:
  pid_t pid_ = 0;
};

// Presses keys on the X server as a keyboard does, through a connection of the test's own.
class Keyboard {
 public:
  Keyboard() : display_(XOpenDisplay(nullptr)) {
    if (display_ == nullptr) throw std::runtime_error("no X display: run under scripts/run-desktop-tests");
  }
  ~Keyboard() { XCloseDisplay(display_); }
  Keyboard(const Keyboard&) = delete;
  Keyboard& operator=(const Keyboard&) = delete;

  // Presses the keys in order, then releases them in reverse order.
  void chord(std::initializer_list<KeySym> keys) {
    for (const auto key : keys)
      XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, key), True, CurrentTime);
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
      XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, *key), False, CurrentTime);
    }
    XSync(display_, False);
  }

 private:
  Display* display_;
};

// The real environment with the Linux desktop, installed for the object's life; its alerts are
// recorded, not shown, and its user defaults live in memory.
struct InstalledLinuxDesktop {
  InstalledLinuxDesktop() {
    environment->userDefaults = platform::UserDefaults::inMemory();
    environment->alertPresenter = alerts;
    desktop = platform::installLinuxDesktop(*environment);
    previous = platform::Environment::install(environment);
  }
  ~InstalledLinuxDesktop() {
    environment->taskPool->waitUntilIdle();
    platform::Environment::install(previous);
  }
  InstalledLinuxDesktop(const InstalledLinuxDesktop&) = delete;
  InstalledLinuxDesktop& operator=(const InstalledLinuxDesktop&) = delete;

  std::shared_ptr<platform::RecordingAlertPresenter> alerts =
      std::make_shared<platform::RecordingAlertPresenter>();
  std::shared_ptr<platform::Environment> environment = platform::Environment::makeSystemServices();
  platform::LinuxDesktop desktop;
  std::shared_ptr<platform::Environment> previous;
};

// Points QUELLORIN_SERVICE_URL at `url` for the object's life.
class ServiceURLOverride {
 public:
  explicit ServiceURLOverride(const std::string& url) {
    if (const char* old = std::getenv("QUELLORIN_SERVICE_URL")) previous_ = old;
    setenv("QUELLORIN_SERVICE_URL", url.c_str(), 1);
  }
  ~ServiceURLOverride() {
    if (previous_)
      setenv("QUELLORIN_SERVICE_URL", previous_->c_str(), 1);
    else
      unsetenv("QUELLORIN_SERVICE_URL");
  }
  ServiceURLOverride(const ServiceURLOverride&) = delete;
  ServiceURLOverride& operator=(const ServiceURLOverride&) = delete;

 private:
  std::optional<std::string> previous_;
};

// The parts every real-desktop test starts from, made in this order and dropped in reverse.
class LinuxDesktopSession {
 public:
  // Starts the editor (its arguments as tools/desktop-editor takes them) and waits until its
  // window has the keyboard focus. False when it never did.
  [[nodiscard]] bool startEditor(std::vector<std::string> arguments) {
    arguments.insert(arguments.end(), {"--report", report.string()});
    editor = std::make_unique<EditorProcess>(std::move(arguments));
    return runUntil([this] { return std::filesystem::exists(report); });
  }

  // The editor's whole text, as it last reported it.
  std::string editorText() const {
    std::ifstream in(report, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // Runs the main queue on this thread until `condition` holds or `limitSeconds` pass.
  bool runUntil(const std::function<bool()>& condition, double limitSeconds = 10) {
    auto& queue = *environment->mainQueue;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::duration<double>(limitSeconds);
    while (std::chrono::steady_clock::now() < giveUp) {
      while (queue.runOneDue()) {
      }
      if (condition()) return true;
      queue.waitForDueWork(std::chrono::milliseconds(10));
    }
    return condition();
  }

  void tripleSpace() {
    for (int i = 0; i < 3; ++i) keyboard.chord({XK_space});
  }

  StandInProcess service;
  ServiceURLOverride serviceURL{service.baseURL()};
  TemporaryFolder folder{"quellorin-desktop-"};
  std::filesystem::path report = folder.path() / "editor.txt";
  Keyboard keyboard;
  InstalledLinuxDesktop installed;
  std::shared_ptr<platform::Environment> environment = installed.environment;
  std::unique_ptr<EditorProcess> editor;
};

}  // namespace testsupport
