#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

// How the application is started.
struct Launch {
  // Without DISPLAY, as on a machine with no X11 session.
  bool withoutDisplay = false;
};

// The application binary, run as a child process with its standard output on a pipe and a
// temporary HOME. It needs an X11 display (the desktop label's tests run under Xvfb).
class Application {
 public:
  explicit Application(const std::vector<std::string>& arguments, Launch launch = {}) {
    home_ = std::filesystem::temp_directory_path() / ("quellorin-main-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(home_);
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
    const std::string binary = std::string(QUELLORIN_BINARY_DIR) + "/Quellorin/quellorin";
    std::vector<std::string> argv{binary};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    pid_ = fork();
    if (pid_ == 0) {
      dup2(pipeEnds[1], STDOUT_FILENO);
      close(pipeEnds[0]);
      close(pipeEnds[1]);
      setenv("HOME", home_.c_str(), 1);
      unsetenv("XDG_CONFIG_HOME");
      unsetenv("XDG_DOCUMENTS_DIR");
      if (launch.withoutDisplay) unsetenv("DISPLAY");
      std::vector<char*> raw;
      for (auto& argument : argv) raw.push_back(argument.data());
      raw.push_back(nullptr);
      execv(binary.c_str(), raw.data());
      _exit(127);
    }
    close(pipeEnds[1]);
    output_ = fdopen(pipeEnds[0], "r");
  }

  ~Application() {
    if (pid_ > 0 && !status_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (output_ != nullptr) std::fclose(output_);
    std::error_code ignored;
    std::filesystem::remove_all(home_, ignored);
  }

  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The next line of output without its new line; none at the end of the output.
  std::optional<std::string> readLine() {
    std::string line;
    for (int c = std::fgetc(output_); c != EOF; c = std::fgetc(output_)) {
      if (c == '\n') return line;
      line.push_back(static_cast<char>(c));
    }
    if (line.empty()) return std::nullopt;
    return line;
  }

  // Reads lines up to and including the first that equals `expected`; answers whether it came.
  bool readUntil(const std::string& expected) {
    while (auto line = readLine()) {
      lines_.push_back(*line);
      if (*line == expected) return true;
    }
    return false;
  }

  void signal(int number) { kill(pid_, number); }

  // Waits for the process to end; answers its exit status, or -1 when a signal ended it.
  int wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    status_ = status;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  const std::vector<std::string>& lines() const { return lines_; }
  const std::filesystem::path& home() const { return home_; }

 private:
  std::filesystem::path home_;
  pid_t pid_ = -1;
  std::FILE* output_ = nullptr;
  std::vector<std::string> lines_;
  std::optional<int> status_;
};

TEST(MainDesktop, PrintsItsStartUpAndStopsAtTheTimeLimit) {
  Application application({"--seconds", "0.2"});
  EXPECT_TRUE(application.readUntil("Quellorin stopped"));
  EXPECT_EQ(application.wait(), 0);
  const std::string home = application.home().string();
  EXPECT_EQ(application.lines(),
            (std::vector<std::string>{"Quellorin starting", "documents folder: " + home + "/Documents",
                                      "config folder: " + home + "/.config/quellorin", "Quellorin stopped"}));
}

TEST(MainDesktop, StopsCleanlyOnInterruptAndOnTerminate) {
  for (int number : {SIGINT, SIGTERM}) {
    Application application({});
    ASSERT_TRUE(
        application.readUntil("config folder: " + application.home().string() + "/.config/quellorin"));
    application.signal(number);
    EXPECT_TRUE(application.readUntil("Quellorin stopped")) << number;
    EXPECT_EQ(application.wait(), 0) << number;
  }
}

TEST(MainIntegration, RefusesATimeLimitThatIsNotANumberOfSeconds) {
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{"--seconds", "soon"},
                                                    {"--seconds", "-1"},
                                                    {"--seconds", "2x"},
                                                    {"--seconds"}}) {
    Application application(arguments);
    const std::string given = arguments.size() > 1 ? arguments[1] : "";
    EXPECT_EQ(application.readLine(), "[error] --seconds needs a number of seconds, got \"" + given + "\"");
    EXPECT_EQ(application.readLine(), std::nullopt);
    EXPECT_EQ(application.wait(), 2);
  }
}

TEST(MainIntegration, WithoutAnX11DisplayItSaysSoInOneLineAndStartsNothing) {
  Application application({"--seconds", "5"}, {.withoutDisplay = true});
  const auto line = application.readLine();
  ASSERT_TRUE(line);
  EXPECT_TRUE(line->starts_with("[error] no X11 display: DISPLAY is not set")) << *line;
  EXPECT_EQ(application.readLine(), std::nullopt) << "nothing started";
  EXPECT_EQ(application.wait(), 1);
}

}  // namespace
