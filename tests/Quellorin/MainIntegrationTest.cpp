#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/TemporaryFolder.h"

namespace {

// A program of this build (the application needs an X11 display: its full start-up runs in the
// desktop label's tests, under Xvfb), run as a child process with its standard output and standard error
// on one pipe, a temporary HOME, and the environment variables given.
class Program {
 public:
  struct Options {
    std::vector<std::string> arguments;
    std::vector<std::pair<std::string, std::string>> environment;
    // Runs in the test before the program starts, given the temporary HOME.
    std::function<void(const std::filesystem::path&)> prepareHome;
    // Without DISPLAY, as on a machine with no X11 session.
    bool withoutDisplay = false;
    // Starts in this HOME (another program's, as it is) instead of a fresh one of its own.
    std::shared_ptr<testsupport::TemporaryFolder> sharedHome;
  };

  Program(const std::string& relativePath, const Options& options) {
    homeFolder_ = options.sharedHome ? options.sharedHome
                                     : std::make_shared<testsupport::TemporaryFolder>("quellorin-main-test-");
    home_ = homeFolder_->path();
    if (options.prepareHome) options.prepareHome(home_);
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
    const std::string binary = std::string(QUELLORIN_BINARY_DIR) + "/" + relativePath;
    std::vector<std::string> argv{binary};
    argv.insert(argv.end(), options.arguments.begin(), options.arguments.end());
    pid_ = fork();
    if (pid_ == 0) {
      dup2(pipeEnds[1], STDOUT_FILENO);
      dup2(pipeEnds[1], STDERR_FILENO);
      close(pipeEnds[0]);
      close(pipeEnds[1]);
      if (chdir(home_.c_str()) != 0) _exit(126);
      setenv("HOME", home_.c_str(), 1);
      unsetenv("XDG_CONFIG_HOME");
      unsetenv("XDG_DOCUMENTS_DIR");
      unsetenv("QUELLORIN_SERVICE_URL");
      for (const auto& [name, value] : options.environment) setenv(name.c_str(), value.c_str(), 1);
      if (options.withoutDisplay) unsetenv("DISPLAY");
      std::vector<char*> raw;
      for (auto& argument : argv) raw.push_back(argument.data());
      raw.push_back(nullptr);
      execv(binary.c_str(), raw.data());
      _exit(127);
    }
    close(pipeEnds[1]);
    output_ = fdopen(pipeEnds[0], "r");
  }

  ~Program() {
    if (pid_ > 0 && !status_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (output_ != nullptr) std::fclose(output_);
  }

  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

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
  bool readUntil(const std::string& expected, bool prefix = false) {
    while (auto line = readLine()) {
      lines_.push_back(*line);
      if (prefix ? line->starts_with(expected) : *line == expected) return true;
    }
    return false;
  }

  // Every line up to the end of the output.
  std::vector<std::string> readAll() {
    while (auto line = readLine()) lines_.push_back(*line);
    return lines_;
  }

  // Whether the process has ended (without waiting).
  bool hasEnded() const { return waitpid(pid_, nullptr, WNOHANG) != 0; }

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
  const std::shared_ptr<testsupport::TemporaryFolder>& homeFolder() const { return homeFolder_; }

 private:
  std::shared_ptr<testsupport::TemporaryFolder> homeFolder_;
  std::filesystem::path home_;
  pid_t pid_ = -1;
  std::FILE* output_ = nullptr;
  std::vector<std::string> lines_;
  std::optional<int> status_;
};

// The application itself.
class Application : public Program {
 public:
  explicit Application(std::vector<std::string> arguments, Options options = {})
      : Program("Quellorin/quellorin", withArguments(std::move(options), std::move(arguments))) {}

  std::string configLine() const { return "config folder: " + home().string() + "/.config/quellorin"; }

 private:
  static Options withArguments(Options options, std::vector<std::string> arguments) {
    options.arguments = std::move(arguments);
    return options;
  }
};

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const auto& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

TEST(MainDesktop, PrintsItsStartUpAndStopsAtTheTimeLimit) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--seconds", "0.2"}, {"--seconds=0.2"}, {"--seconds", "1e-3"}}) {
    SCOPED_TRACE(joined(arguments));
    Application application(arguments);
    EXPECT_TRUE(application.readUntil("Quellorin stopped"));
    EXPECT_EQ(application.wait(), 0);
    const std::string home = application.home().string();
    const auto lines = application.lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3),
              (std::vector<std::string>{"Quellorin starting", "documents folder: " + home + "/Documents",
                                        application.configLine()}));
    EXPECT_EQ(lines.back(), "Quellorin stopped");
    // A first launch (a fresh home each time) stores the device identifier.
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.starts_with("Device Identifier: "); }),
              1);
  }
}

TEST(MainDesktop, ASecondInstanceEndsAtOnceAndTheFirstRunsOn) {
  Application first({});
  ASSERT_TRUE(first.readUntil("Device Identifier: ", true));
  Program::Options sameUser;
  sameUser.sharedHome = first.homeFolder();
  Application second({"--seconds", "30"}, sameUser);
  EXPECT_TRUE(second.readUntil("[info] Quellorin is already running; this instance ends"));
  EXPECT_TRUE(second.readUntil("Quellorin stopped"));
  EXPECT_EQ(second.wait(), 0);
  EXPECT_FALSE(first.hasEnded());
  first.signal(SIGTERM);
  EXPECT_TRUE(first.readUntil("Quellorin stopped"));
  EXPECT_EQ(first.wait(), 0);
}

TEST(MainDesktop, StopsCleanlyOnInterruptTerminateAndHangUp) {
  for (int number : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(number);
    Application application({});
    ASSERT_TRUE(application.readUntil(application.configLine()));
    application.signal(number);
    EXPECT_TRUE(application.readUntil("Quellorin stopped"));
    EXPECT_EQ(application.wait(), 0);
  }
}

// A FIFO at the settings file's path used to block start-up in open() with the stop signals
// not yet taken. Now the file is refused at once, left as it is, and the application runs and
// stops.
TEST(MainDesktop, AFifoInPlaceOfTheSettingsFileIsRefusedAndTheApplicationStillStops) {
  const auto settingsFile = [](const std::filesystem::path& home) {
    return home / ".config" / "quellorin" / "user-defaults.json";
  };
  Program::Options options;
  options.prepareHome = [&](const std::filesystem::path& home) {
    std::filesystem::create_directories(settingsFile(home).parent_path());
    ASSERT_EQ(::mkfifo(settingsFile(home).c_str(), 0600), 0);
  };
  Application application({}, options);
  ASSERT_TRUE(application.readUntil(application.configLine()));
  EXPECT_EQ(application.lines().front(),
            "[error] UserDefaults: cannot use " + settingsFile(application.home()).string() +
                " (it is not a regular file); leaving it untouched and keeping settings in memory only");
  application.signal(SIGTERM);
  EXPECT_TRUE(application.readUntil("Quellorin stopped"));
  EXPECT_EQ(application.wait(), 0);
  EXPECT_EQ(std::filesystem::status(settingsFile(application.home())).type(),
            std::filesystem::file_type::fifo);
}

TEST(MainIntegration, HelpAndVersionArePrintedAndTheApplicationDoesNotStart) {
  for (const char* flag : {"--help", "-h"}) {
    SCOPED_TRACE(flag);
    Application application({flag});
    const auto lines = application.readAll();
    EXPECT_EQ(application.wait(), 0);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Usage: quellorin [OPTIONS]"), lines.end())
        << joined(lines);
    EXPECT_NE(joined(lines).find("--seconds"), std::string::npos);
    EXPECT_NE(joined(lines).find("--version"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(application.home() / ".config"));
  }
  std::ifstream info(std::string(QUELLORIN_SOURCE_DIR) + "/Resources/Info.json");
  const auto version = nlohmann::json::parse(info).at("CFBundleShortVersionString").get<std::string>();
  Application application({"--version"});
  EXPECT_EQ(application.readAll(), std::vector<std::string>{"Quellorin " + version});
  EXPECT_EQ(application.wait(), 0);
}

// Anything the command line does not know ends the application before it starts: status 2 and
// one line.
TEST(MainIntegration, RefusesWhatTheCommandLineDoesNotKnow) {
  const struct {
    std::vector<std::string> arguments;
    std::string mentions;
  } cases[] = {
      {{"--seconds", "soon"}, "needs a finite positive number of seconds, got \"soon\""},
      {{"--seconds=soon"}, "got \"soon\""},
      {{"--seconds", "2x"}, "got \"2x\""},
      {{"--seconds", "-1"}, "--seconds"},
      {{"--seconds", "0"}, "got \"0\""},
      {{"--seconds", "inf"}, "got \"inf\""},
      {{"--seconds", "nan"}, "got \"nan\""},
      {{"--seconds", "1e999"}, "got \"1e999\""},
      {{"--seconds"}, "--seconds"},
      {{"--verbose"}, "--verbose"},
      {{"-x"}, "-x"},
      {{"stray"}, "stray"},
      {{"--seconds", "1", "stray"}, "stray"},
  };
  for (const auto& entry : cases) {
    SCOPED_TRACE(joined(entry.arguments));
    Application application(entry.arguments);
    const auto lines = application.readAll();
    EXPECT_EQ(application.wait(), 2);
    ASSERT_EQ(lines.size(), 1u) << joined(lines);
    EXPECT_TRUE(lines[0].starts_with("quellorin: ")) << lines[0];
    EXPECT_NE(lines[0].find(entry.mentions), std::string::npos) << lines[0];
    EXPECT_FALSE(std::filesystem::exists(application.home() / ".config"));
  }
}

Program::Options withServiceAddress(const std::string& address) {
  Program::Options options;
  options.environment = {{"QUELLORIN_SERVICE_URL", address}};
  return options;
}

TEST(MainIntegration, RefusesAServiceAddressThatIsNotAnAbsoluteHttpAddressWithAHost) {
  for (const char* address :
       {"http://", "https:///api", "api", "ftp://service.example", "https://service.example?x"}) {
    SCOPED_TRACE(address);
    Application application({"--seconds", "0.1"}, withServiceAddress(address));
    const auto lines = application.readAll();
    EXPECT_EQ(application.wait(), 2);
    EXPECT_EQ(lines, std::vector<std::string>{"[error] QUELLORIN_SERVICE_URL=\"" + std::string(address) +
                                              "\" is not a usable service address: it must be an absolute "
                                              "http or https address with a host and no query, such as "
                                              "https://service.example"});
  }
}

TEST(MainDesktop, StartsWithAnAbsoluteServiceAddress) {
  Application application({"--seconds", "0.1"}, withServiceAddress("http://127.0.0.1:9/"));
  EXPECT_TRUE(application.readUntil("Quellorin stopped"));
  EXPECT_EQ(application.wait(), 0);
}

// The tools answer --help with their usage and refuse what they do not know, before doing
// anything.
TEST(ToolsCommandLineIntegration, HelpIsPrintedAndUnknownOrOutOfRangeInputRefused) {
  const struct {
    const char* tool;
    std::vector<std::string> arguments;
    int status;
    std::string firstLine;  // the start of it
  } cases[] = {
      {"tools/markdown-snapshot/markdown-snapshot", {"--help"}, 0, "Draws a Markdown document"},
      {"tools/markdown-snapshot/markdown-snapshot", {}, 2, "markdown-snapshot: OUTPUT.png is required"},
      {"tools/markdown-snapshot/markdown-snapshot", {"out.png", "in.md", "extra"}, 2, "markdown-snapshot: "},
      {"tools/markdown-snapshot/markdown-snapshot", {"--bogus", "out.png"}, 2, "markdown-snapshot: "},
      {"tools/markdown-page/markdown-page", {"-h"}, 0, "Writes the Markdown web view's page"},
      {"tools/markdown-page/markdown-page", {}, 2, "markdown-page: MARKDOWN-FILE is required"},
      {"tools/stand-in-service/stand-in-service", {"--help"}, 0, "The loopback stand-in"},
      {"tools/stand-in-service/stand-in-service",
       {"--port", "99999"},
       2,
       "stand-in-service: --port: Value 99999"},
      {"tools/stand-in-service/stand-in-service", {"--port", "-1"}, 2, "stand-in-service: "},
      {"tools/stand-in-service/stand-in-service", {"--port", "80x"}, 2, "stand-in-service: "},
      {"tools/stand-in-service/stand-in-service", {"serve"}, 2, "stand-in-service: "},
  };
  for (const auto& entry : cases) {
    SCOPED_TRACE(std::string(entry.tool) + " " + joined(entry.arguments));
    Program::Options options;
    options.arguments = entry.arguments;
    Program program(entry.tool, options);
    const auto lines = program.readAll();
    EXPECT_EQ(program.wait(), entry.status);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines[0].starts_with(entry.firstLine)) << lines[0];
    if (entry.status == 2) {
      EXPECT_EQ(lines.size(), 1u) << joined(lines);
    } else {
      EXPECT_NE(joined(lines).find("Usage: "), std::string::npos);
    }
    // Nothing was written in the working folder (a file named "--help", say).
    EXPECT_TRUE(std::filesystem::is_empty(program.home())) << joined(lines);
  }
}

TEST(MainIntegration, WithoutAnX11DisplayItSaysSoInOneLineAndStartsNothing) {
  Program::Options options;
  options.withoutDisplay = true;
  Application application({"--seconds", "5"}, options);
  const auto line = application.readLine();
  ASSERT_TRUE(line);
  EXPECT_TRUE(line->starts_with("[error] no X11 display: DISPLAY is not set")) << *line;
  EXPECT_EQ(application.readLine(), std::nullopt) << "nothing started";
  EXPECT_EQ(application.wait(), 1);
}

}  // namespace
