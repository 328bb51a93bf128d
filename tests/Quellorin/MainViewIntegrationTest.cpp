// The assistant window's state, keys and request loop on the simulated desktop, with the
// conversation store in a real SQLite file and the stand-in service over real sockets.

#include <gtest/gtest.h>

#include "AssistantWindowFixture.h"
#include "Platform/Dispatch/TaskPool.h"

namespace quellorin {
namespace {

using MainViewIntegration = AssistantWindowFixture;

struct OpeningCase {
  std::string text;
  bool autoWork;
  std::optional<std::string> storedPipeline;  // "currentPipelineId"; "<id>" for the seeded one
  std::string workMode;
  bool startsRun;
};

class MainViewOpening : public MainViewIntegration, public ::testing::WithParamInterface<OpeningCase> {};

TEST_P(MainViewOpening, ChoosesTheWorkModeAndStartsThePipelineOnlyWhenAllThreeHold) {
  const auto& c = GetParam();
  const auto id = addPipeline("Two", {"P1"});
  if (c.storedPipeline) {
    env().userDefaults->setString("currentPipelineId",
                                  *c.storedPipeline == "<id>" ? std::to_string(id) : *c.storedPipeline);
  }
  auto content = open(c.text, c.autoWork);
  auto& view = *content->view();
  EXPECT_EQ(view.workMode(), c.workMode);
  finishRun(view);
  EXPECT_EQ(processTextBodies().size(), c.startsRun ? 1u : 0u);
  EXPECT_EQ(view.conversation().has_value(), c.startsRun);
}

INSTANTIATE_TEST_SUITE_P(Matrix, MainViewOpening,
                         ::testing::Values(OpeningCase{"", true, "<id>", "free-ask", false},
                                           OpeningCase{"", false, "<id>", "free-ask", false},
                                           OpeningCase{"text", true, std::nullopt, "pipeline", false},
                                           OpeningCase{"text", true, "<id>", "pipeline", true},
                                           OpeningCase{"text", true, "not a number", "pipeline", false},
                                           OpeningCase{"text", false, "<id>", "custom", false}));

TEST_F(MainViewIntegration, AThreePromptPipelineSendsTwoFourAndSixMessagesAndStoresThreeJobs) {
  const auto id = addPipeline("Three", {"P1", "P2", "P3"});
  env().userDefaults->setString("currentPipelineId", std::to_string(id));
  env().userDefaults->setString("Language", "jp");
  auto content = open("Hello", true);
  auto& view = *content->view();
  finishRun(view);

  const auto bodies = processTextBodies();
  ASSERT_EQ(bodies.size(), 3u);
  const std::size_t expectedSizes[] = {2, 4, 6};
  for (std::size_t i = 0; i < 3; ++i) {
    const auto& messages = bodies[i]["messages"];
    ASSERT_EQ(messages.size(), expectedSizes[i]) << "step " << i;
    EXPECT_EQ(messages[0]["content"], "<content>Hello</content><user_language>Japanese</user_language>");
    EXPECT_EQ(messages.back()["content"], "P" + std::to_string(i + 1));
    EXPECT_EQ(bodies[i]["sessionId"], "conversation__" + std::to_string(*view.conversation()->id));
  }
  EXPECT_EQ(bodies[2]["messages"][2]["content"], "You said: P1");
  EXPECT_EQ(storedCount("SELECT count(*) FROM jobs"), 3);
  EXPECT_EQ(storedCount("SELECT count(*) FROM jobs WHERE prompt = 'original'"), 0);
  EXPECT_EQ(storedCount("SELECT count(*) FROM jobs WHERE prompt = 'P2' AND content = 'You said: P1'"), 1);
  ASSERT_EQ(view.conversation()->jobs.size(), 4u);
  EXPECT_EQ(view.currentJobIndex(), 3);
  EXPECT_EQ(view.resultText(), "You said: P3");
  EXPECT_EQ(posts, (std::vector<std::string>{"processingStarted", "processingEnded"}));
}

TEST_F(MainViewIntegration, TheAnswerLanguageFollowsTheSettingAndFallsBackToEnglish) {
  const std::vector<std::pair<std::optional<std::string>, std::string>> table = {
      {std::nullopt, "English"}, {"en", "English"}, {"zh", "Chinese"},
      {"jp", "Japanese"},        {"fr", "French"},  {"de", "English"}};
  for (const auto& [code, name] : table)
    EXPECT_EQ(MainView::answerLanguage(code), name) << code.value_or("-");
}

TEST_F(MainViewIntegration, NamesAreCutAtTenUserPerceivedCharacters) {
  const std::vector<std::pair<std::string, std::string>> table = {
      {"0123456789", "0123456789"},
      {"0123456789A", "0123456789..."},
      {"e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301",
       "e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301"},
      {"👩‍👩‍👧1234567890", "👩‍👩‍👧123456789..."},
      {"", ""}};
  for (const auto& [prompt, name] : table) EXPECT_EQ(MainView::conversationName(prompt), name) << prompt;
}

TEST_F(MainViewIntegration, ReturnRunsTheTypedPromptOverTheSelectionAndKeepsTheRestOfTheKeysRules) {
  auto content = open("Some text", false);
  auto& view = *content->view();
  auto& host = *content->host();
  view.setPromptingFocused(true);
  view.setPrompt("   \n");
  virtualEnvironment.advance(0);
  EXPECT_EQ(host.key(ui::KeyEvent::code(ui::keycode::returnKey)), ui::KeyRoute::editor);
  EXPECT_TRUE(processTextBodies().empty());

  view.setPrompt("Shorten it please");
  EXPECT_EQ(host.key(ui::KeyEvent::code(ui::keycode::returnKey)), ui::KeyRoute::monitor);
  finishRun(view);
  const auto bodies = processTextBodies();
  ASSERT_EQ(bodies.size(), 1u);
  EXPECT_EQ(bodies[0]["messages"].size(), 2u);
  EXPECT_EQ(bodies[0]["mode"], "fast");
  EXPECT_EQ(view.workMode(), "custom");
  EXPECT_TRUE(view.pipelineEdited());
  EXPECT_EQ(view.conversation()->name, "Shorten it...");
  EXPECT_EQ(view.prompt(), "") << "a finished run clears the prompt";
  EXPECT_TRUE(view.isPromptingFocused());
}

TEST_F(MainViewIntegration, TabAndRightArrowFillTheEmptyPromptWithTheNextJobsPrompt) {
  const auto id = addPipeline("Two", {"P1", "P2"});
  env().userDefaults->setString("currentPipelineId", std::to_string(id));
  auto content = open("Hello", true);
  auto& view = *content->view();
  finishRun(view);
  auto& host = *content->host();
  struct Case {
    int index;
    std::uint16_t key;
    std::uint64_t flags;
    std::string typed;
    std::string expectedPrompt;
  };
  const std::vector<Case> table = {
      {0, ui::keycode::tab, 0, "", "P1"},
      {1, ui::keycode::rightArrow, 0, "", "P2"},
      {2, ui::keycode::tab, 0, "", ""},                      // the last job: nothing follows
      {1, ui::keycode::tab, ui::modifier::command, "", ""},  // Command held
      {1, ui::keycode::tab, 0, "mine", "mine"},              // a prompt already typed
  };
  for (const auto& c : table) {
    view.setCurrentJobIndex(c.index);
    view.setPrompt(c.typed);
    view.setPromptingFocused(true);
    settle(0);
    host.key(ui::KeyEvent::code(c.key, c.flags));
    EXPECT_EQ(view.prompt(), c.expectedPrompt) << "index " << c.index << " key " << c.key;
  }
}

TEST_F(MainViewIntegration, EscapeBeforeTheFirstChunkTakesTheStepBackCancelsTheRequestAndStoresNothing) {
  service.queueFault({{"stallAfterEvents", 0}, {"stallMs", 1500}});
  const auto id = addPipeline("One", {"P1"});
  env().userDefaults->setString("currentPipelineId", std::to_string(id));
  auto content = open("Hello", true);
  auto& view = *content->view();
  ASSERT_TRUE(virtualEnvironment.runUntil([&] { return view.isProcessing(); }));
  ASSERT_EQ(view.currentJobIndex(), 1);

  EXPECT_EQ(content->host()->key(ui::KeyEvent::code(ui::keycode::escape)), ui::KeyRoute::monitor);
  EXPECT_EQ(view.currentJobIndex(), 0);
  EXPECT_EQ(view.resultText(), "Hello");
  EXPECT_EQ(view.conversation()->jobs.size(), 1u);
  EXPECT_FALSE(view.hasRunGoing());
  EXPECT_FALSE(view.isProcessing());
  EXPECT_TRUE(windows->mainWindow()->isVisible()) << "Escape during a run leaves the window open";

  view.setPrompt("typed after the stop");
  platform::TaskPool::shared()->waitUntilIdle();
  settle(0);
  EXPECT_EQ(view.prompt(), "typed after the stop") << "late events of the stopped run change nothing";
  EXPECT_EQ(view.resultText(), "Hello");
  EXPECT_EQ(storedCount("SELECT count(*) FROM jobs"), 0);
  EXPECT_TRUE(log.contains("resultingSemaphore 被外部清空，退出循环"));
}

TEST_F(MainViewIntegration, EscapeInFreeAskBeforeAnyConversationStopsTheRun) {
  auto content = open("", false);
  auto& view = *content->view();
  service.queueFault({{"stallAfterEvents", 0}, {"stallMs", 1500}});
  view.handleCustomCommit("", "Tell me a joke", "fast");
  ASSERT_TRUE(view.hasRunGoing());
  // No "original" job to step back to: Escape stops the run and leaves the jobs as they are.
  EXPECT_EQ(content->host()->key(ui::KeyEvent::code(ui::keycode::escape)), ui::KeyRoute::monitor);
  EXPECT_FALSE(view.hasRunGoing());
  platform::TaskPool::shared()->waitUntilIdle();
  settle(0);
  EXPECT_FALSE(view.isProcessing());
  EXPECT_EQ(view.currentJobIndex(), 0);
  EXPECT_EQ(view.conversation()->jobs.size(), 1u);
}

TEST_F(MainViewIntegration, ANewRunReplacesTheOldOneWhoseLateEventsNeverReachTheNewJob) {
  auto content = open("Base", false);
  auto& view = *content->view();
  service.queueFault({{"stallAfterEvents", 1}, {"stallMs", 1500}});
  view.handleCustomCommit("Base", "first prompt", "fast");
  view.handleCustomCommit("Base", "second prompt", "fast");
  finishRun(view);
  platform::TaskPool::shared()->waitUntilIdle();
  settle(0);
  EXPECT_EQ(view.resultText(), "You said: second prompt");
  // The first request may have been cancelled before it reached the service.
  const auto bodies = processTextBodies();
  ASSERT_FALSE(bodies.empty());
  EXPECT_EQ(bodies.back()["messages"].size(), 2u) << "the unanswered first step is not part of the history";
  EXPECT_EQ(bodies.back()["messages"][1]["content"], "second prompt");
  ASSERT_EQ(view.conversation()->jobs.size(), 2u);
  EXPECT_EQ(storedCount("SELECT count(*) FROM jobs WHERE result LIKE '%first prompt%'"), 0);
  EXPECT_EQ(storedCount("SELECT count(*) FROM jobs WHERE prompt = 'second prompt'"), 1);
}

TEST_F(MainViewIntegration, AnErrorStopsTheRunAtTheFailedStepAndRecoversInOrder) {
  service.queueFault({{"lines", {"data: " + json{{"event", "error"}, {"message", "boom"}}.dump()}}});
  const auto id = addPipeline("Three", {"P1", "P2", "P3"});
  env().userDefaults->setString("currentPipelineId", std::to_string(id));
  auto content = open("Hello", true);
  auto& view = *content->view();
  finishRun(view);
  platform::TaskPool::shared()->waitUntilIdle();
  settle(0);
  EXPECT_EQ(processTextBodies().size(), 1u) << "no prompt after the failed one is sent";
  EXPECT_EQ(view.resultText(), "Hello");
  EXPECT_EQ(view.prompt(), "P1") << "the failed prompt stays for another try";
  EXPECT_EQ(view.currentJobIndex(), 0);
  ASSERT_EQ(view.conversation()->jobs.size(), 1u);
  EXPECT_EQ(view.conversation()->jobs[0].prompt, "original");
  EXPECT_FALSE(view.isErrorState());
  EXPECT_FALSE(view.isProcessing());
  EXPECT_EQ(storedCount("SELECT count(*) FROM jobs"), 0);
  EXPECT_EQ(posts,
            (std::vector<std::string>{"processingStarted", "processingEnded:error", "processingEnded"}));
}

TEST_F(MainViewIntegration, AnErrorOnTheFirstFreeAskJobNeverLeavesANegativeIndex) {
  service.queueFault({{"lines", {"data: " + json{{"event", "error"}, {"message", "boom"}}.dump()}}});
  auto content = open("", false);
  auto& view = *content->view();
  view.setPrompt("kept");
  view.handleCustomCommit("", "Tell me", "fast");
  finishRun(view);
  EXPECT_EQ(view.currentJobIndex(), 0);
  EXPECT_FALSE(view.conversation().has_value());
  EXPECT_EQ(view.prompt(), "kept");
}

TEST_F(MainViewIntegration, EscapeWhileIdleClosesTheNameEditorFirstThenHidesTheWindow) {
  auto content = open("Text", false);
  auto& view = *content->view();
  view.setPipelineNameEditing(true);
  content->host()->key(ui::KeyEvent::code(ui::keycode::escape));
  EXPECT_FALSE(view.isPipelineNameEditing());
  EXPECT_TRUE(windows->mainWindow()->isVisible());
  content->host()->key(ui::KeyEvent::code(ui::keycode::escape));
  EXPECT_FALSE(windows->mainWindow()->isVisible());
  EXPECT_TRUE(log.contains("toolbar 隐藏"));
}

TEST_F(MainViewIntegration, AReplacedWindowContentNoLongerActsOnKeysOrNotifications) {
  auto first = open("First", false);
  auto firstView = first->view();
  auto firstHost = first->host();
  first.reset();
  auto second = open("Second", false);
  ASSERT_NE(second->view(), firstView);
  firstView->setPrompt("stale");
  env().notificationCenter->post("processingEnded");
  settle(0);
  EXPECT_EQ(firstView->prompt(), "stale") << "the old view's observers are gone";
  EXPECT_EQ(second->view()->prompt(), "");
  firstView->setPipelineNameEditing(true);
  EXPECT_EQ(firstHost->key(ui::KeyEvent::code(ui::keycode::escape)), ui::KeyRoute::unhandled);
  EXPECT_TRUE(firstView->isPipelineNameEditing()) << "the old view's key monitor is gone";
}

TEST_F(MainViewIntegration, HeightsFollowTheirRulesAndTheLogLineGivesEachNumberWithAFraction) {
  auto content = open("Text", false);
  auto& view = *content->view();
  struct Case {
    std::optional<double> result, prompt;
    double expectedResult, expectedPrompt;
  };
  const std::vector<Case> table = {
      {42, 88, 42, 88},              // both taken
      {std::nullopt, 88.8, 42, 88},  // within a point: kept
      {std::nullopt, 230, 42, 88},   // 200 or more: kept
      {std::nullopt, 60, 42, 60},    // taken
      {std::nullopt, 60.8, 42, 60},  // within a point
      {43, std::nullopt, 43, 60},    // any change of the answer panel
  };
  for (const auto& c : table) {
    view.heightsMeasured(c.result, c.prompt);
    EXPECT_EQ(view.resultHeight(), c.expectedResult);
    EXPECT_EQ(view.promptHeight(), c.expectedPrompt);
  }
  EXPECT_TRUE(log.contains("[info] resultHeight：42.0, promptHeight：88.0, totalHeight：130.0"));
  EXPECT_EQ(windows->mainWindow()->frame().height, 103);
}

TEST_F(MainViewIntegration, TheWindowTakesTheMeasuredHeightsOfTheAnswerAndThePromptBar) {
  auto content = open("Text", false);
  auto& view = *content->view();
  settle(0);
  const auto& host = *content->host();
  EXPECT_GT(view.promptHeight(), 0);
  EXPECT_EQ(view.resultHeight(), host.measuredHeight("answerPanel"));
  EXPECT_EQ(windows->mainWindow()->frame().height, view.resultHeight() + view.promptHeight());
}

}  // namespace
}  // namespace quellorin
