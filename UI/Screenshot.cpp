#include "UI/Screenshot.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <system_error>
#include <vector>

extern char** environ;

namespace ui {

namespace {

// Removes a folder made by mkdtemp with everything in it when it goes.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quellorin-screenshot-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Runs `arguments` with standard output and error sent to /dev/null; answers its exit status,
// or -1 when it could not start or did not exit normally.
int run(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  int started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

bool screenshotHTML(const std::string& html, const std::filesystem::path& png,
                    const ScreenshotOptions& options) {
  TemporaryFolder folder;
  if (folder.path().empty()) return false;
  std::filesystem::path page = folder.path() / "window.html";
  {
    std::ofstream file(page, std::ios::binary);
    file << html;
    if (!file) return false;
  }
  std::error_code error;
  std::filesystem::remove(png, error);
  if (png.has_parent_path()) std::filesystem::create_directories(png.parent_path(), error);
  const char* chromium = std::getenv("QUELLORIN_CHROMIUM");
  std::vector<std::string> arguments = {
      "/usr/bin/timeout",
      std::to_string(options.timeoutSeconds),
      chromium && *chromium ? chromium : "/usr/bin/chromium",
      "--headless",
      "--no-sandbox",
      "--disable-gpu",
      "--disable-quic",
      "--no-first-run",
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
      "--hide-scrollbars",
      "--force-device-scale-factor=1",
      "--user-data-dir=" + (folder.path() / "profile").string(),
      "--screenshot=" + std::filesystem::absolute(png).string(),
      "--window-size=" + std::to_string(options.width) + "," + std::to_string(options.height),
      "file://" + page.string(),
  };
  if (options.settleMilliseconds > 0)
    arguments.insert(arguments.end() - 1,
                     "--virtual-time-budget=" + std::to_string(options.settleMilliseconds));
  if (run(arguments) != 0) return false;
  return std::filesystem::exists(png, error) && std::filesystem::file_size(png, error) > 0;
}

}  // namespace ui
