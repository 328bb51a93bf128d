// Every way the service can fail, on both roads, end to end on a real X server: the shortcut over
// a selection in another application opening the assistant window on a two-prompt pipeline, and
// three spaces translating the line at the caret. For each fault: no event lost or shown twice,
// exactly one error shown per failure, the user's text never half-replaced, and nothing
// half-stored in the conversation store.

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/support/LinuxDesktopFixture.h"
#include "Quellorin/Assistant/AssistantWindowContent.h"
#include "Quellorin/Assistant/DatabaseService.h"
#include "Quellorin/Assistant/MainView.h"
#include "Quellorin/Services/AIService.h"
#include "Quellorin/Services/CustomWindow.h"
#include "Quellorin/Services/EventMonitorService.h"
#include "Quellorin/Services/TextHandlingService.h"
#include "Quellorin/Services/WindowService.h"
#include "SQLite/Connection.h"

namespace quellorin {
namespace {

using nlohmann::json;

// What the user ends up with.
enum class Outcome {
  answered,  // the whole answer arrives, once, and no error is shown
  refused,   // no answer at all; one error
  broken,    // part of an answer arrives, then the stream fails; one error
};

struct FaultCase {
  std::string name;
  json fault;  // as the stand-in service takes it, for the first request only
  Outcome outcome;
  std::string addedToTheAnswer = "";  // what the fault adds to an answer that still arrives
};

std::ostream& operator<<(std::ostream& out, const FaultCase& c) { return out << c.name; }

// The service's time limit in these tests: short, so that a stall is a failure within a test.
constexpr std::chrono::milliseconds kRequestTimeLimit{1500};

const std::vector<FaultCase> kFaults = {
    {"status 400", {{"status", 400}}, Outcome::refused},
    {"status 401", {{"status", 401}}, Outcome::refused},
    {"status 403 with a known code", {{"status", 403}, {"errorCode", 1}}, Outcome::refused},
    {"status 403 with an unknown code", {{"status", 403}, {"errorCode", 7}}, Outcome::refused},
    {"status 403 with a body that is not JSON", {{"status", 403}, {"body", "no"}}, Outcome::refused},
    {"status 404", {{"status", 404}}, Outcome::refused},
    {"status 500", {{"status", 500}}, Outcome::refused},
    {"status 204", {{"status", 204}}, Outcome::refused},
    {"disconnect after 2 events", {{"disconnectAfterEvents", 2}}, Outcome::broken},
    {"stall after 2 events", {{"stallAfterEvents", 2}, {"stallMs", 4000}}, Outcome::broken},
    {"stall before any event, resent", {{"stallAfterEvents", 0}, {"stallMs", 4000}}, Outcome::answered},
    {"junk and non-JSON lines", {{"noise", true}}, Outcome::answered},
    // The stray byte is decoded as U+FFFD: the answer arrives whole, with no error.
    {"invalid UTF-8", {{"invalidUtf8", true}}, Outcome::answered, "bad \xEF\xBF\xBD byte"},
    {"one byte per write", {{"drip", true}}, Outcome::answered},
    {"each line in two writes", {{"splitWrites", true}}, Outcome::answered},
};

class FaultMatrixDesktop : public ::testing::TestWithParam<FaultCase> {
 protected:
  FaultMatrixDesktop() {
    session.environment->userDefaults->setString("SpecialKeyFeatureStatus", "French");
    windows->setRootViewFactory(AssistantWindowContent::factory(MainViewServices{aiService, store, windows}));
    EXPECT_TRUE(monitor->installGlobalMonitor());
  }

  ~FaultMatrixDesktop() override {
    monitor->removeGlobalMonitor();
    session.environment->taskPool->waitUntilIdle();
  }

  std::int64_t pipelineOfTwoPrompts() {
    const auto id = *store->insertPipeline("Two steps");
    store->insertPipelinePrompt(0, id, *store->getOrInsertPrompt("P1"));
    store->insertPipelinePrompt(1, id, *store->getOrInsertPrompt("P2"));
    return id;
  }

  std::size_t processTextRequests() {
    std::size_t count = 0;
    for (const auto& request : session.service.requests()) count += request["path"] == "/api/processText";
    return count;
  }

  std::size_t errorsShown() const { return session.installed.alerts->shownAlerts().size(); }

  std::int64_t storedCount(const std::string& sql) {
    const auto value = store->db()->scalar(sql);
    return value ? std::get<std::int64_t>(*value) : -1;
  }

  std::shared_ptr<MainView> shownView() const {
    const auto window = windows->mainWindow();
    const auto content =
        window ? std::dynamic_pointer_cast<AssistantWindowContent>(window->contentView()) : nullptr;
    return content ? content->view() : nullptr;
  }

  testsupport::LinuxDesktopSession session;
  std::shared_ptr<DatabaseService> store =
      std::make_shared<DatabaseService>(session.folder.path() / "db.sqlite3");
  std::shared_ptr<AIService> aiService = std::make_shared<AIService>(kRequestTimeLimit);
  std::shared_ptr<TextHandlingService> textHandling = std::make_shared<TextHandlingService>();
  std::shared_ptr<WindowService> windows = std::make_shared<WindowService>(textHandling);
  std::shared_ptr<EventMonitorService> monitor =
      std::make_shared<EventMonitorService>(textHandling, windows, aiService);
};

TEST_P(FaultMatrixDesktop, TheShortcutRoadShowsOneErrorAndStoresOnlyWholeSteps) {
  const auto& c = GetParam();
  session.environment->userDefaults->setString("currentPipelineId", std::to_string(pipelineOfTwoPrompts()));
  session.service.queueFault(c.fault);
  ASSERT_TRUE(session.startEditor({"--text", "hello brave world", "--select", "6", "5"}));

  session.keyboard.chord({XK_Super_L, XK_Shift_L, XK_space});
  ASSERT_TRUE(session.runUntil([&] { return shownView() != nullptr; })) << "the window never opened";
  const auto view = shownView();
  const auto expectedErrors = c.outcome == Outcome::answered ? 0u : 1u;
  ASSERT_TRUE(session.runUntil(
      [&] { return !view->hasRunGoing() && !view->isProcessing() && errorsShown() >= expectedErrors; }, 20));
  session.runUntil([] { return false; }, 0.3);  // anything late would show now

  EXPECT_EQ(errorsShown(), expectedErrors);
  EXPECT_EQ(storedCount("SELECT count(*) FROM jobs WHERE result = ''"), 0) << "no job stored unanswered";
  if (c.outcome == Outcome::answered) {
    EXPECT_EQ(view->resultText(), "You said: P2");
    EXPECT_EQ(storedCount("SELECT count(*) FROM jobs"), 2);
    EXPECT_EQ(storedCount("SELECT count(*) FROM jobs WHERE prompt = 'P1' AND result = 'You said: P1" +
                          c.addedToTheAnswer + "'"),
              1);
  } else {
    EXPECT_EQ(processTextRequests(), 1u) << "the run stops at the failed step";
    EXPECT_EQ(storedCount("SELECT count(*) FROM jobs"), 0) << "the failed step is not stored";
    EXPECT_EQ(view->resultText(), "brave") << "back to the selected text, with nothing of the broken answer";
  }
  EXPECT_EQ(session.editorText(), "hello brave world");
}

TEST_P(FaultMatrixDesktop, TheThreeSpaceRoadReplacesTheWholeLineOrNothing) {
  const auto& c = GetParam();
  session.service.queueFault(c.fault);
  ASSERT_TRUE(session.startEditor({"--text", "Keep this line\nHello world"}));

  session.tripleSpace();
  const auto expectedErrors = c.outcome == Outcome::answered ? 0u : 1u;
  std::string expected;
  if (c.outcome == Outcome::answered) {
    ASSERT_TRUE(session.runUntil([&] { return processTextRequests() > 0; }));
    const auto requests = session.service.requests();
    const auto& messages = requests.back()["body"]["messages"];
    expected =
        "Keep this line\nYou said: " + messages.back()["content"].get<std::string>() + c.addedToTheAnswer;
  } else {
    expected = "Keep this line\nHello world   ";
  }
  ASSERT_TRUE(session.runUntil(
      [&] { return session.editorText() == expected && errorsShown() >= expectedErrors; }, 20))
      << "the editor holds: " << session.editorText() << "\nerrors shown: " << errorsShown();
  session.runUntil([] { return false; }, 0.3);  // anything late would show now

  EXPECT_EQ(session.editorText(), expected);
  EXPECT_EQ(errorsShown(), expectedErrors);
}

INSTANTIATE_TEST_SUITE_P(EveryFault, FaultMatrixDesktop, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<FaultCase>& row) {
                           std::string name;
                           for (const char ch : row.param.name) name += std::isalnum(ch) ? ch : '_';
                           return name;
                         });

}  // namespace
}  // namespace quellorin
