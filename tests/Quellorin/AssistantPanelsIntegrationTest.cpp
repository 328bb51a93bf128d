// The assistant window's prompt bar and answer panel, driven as a person would through the
// window's host: the store in a real SQLite file, the stand-in service over real sockets.

#include <gtest/gtest.h>

#include "AssistantWindowFixture.h"
#include "Platform/Core/Bundle.h"
#include "Platform/Desktop/Simulated/RecordingAlertPresenter.h"
#include "Platform/Desktop/Simulated/SimulatedDesktop.h"
#include "Platform/Desktop/Simulated/SimulatedPasteboard.h"
#include "Platform/Desktop/Simulated/SimulatedUserNotificationCenter.h"
#include "Platform/Desktop/Simulated/SimulatedWorkspace.h"
#include "Platform/Desktop/WebView.h"
#include "Platform/Desktop/WebViewHost.h"
#include "Quellorin/Assistant/DetachedWebView.h"
#include "Quellorin/Assistant/PromptingView.h"
#include "Quellorin/Assistant/ResultView.h"
#include "Quellorin/Assistant/WebView.h"

namespace quellorin {
namespace {

using ui::KeyEvent;
namespace key = ui::keycode;
namespace mod = ui::modifier;

// A desktop whose clipboard takes nothing: another program holds on to it.
class RefusingPasteboard final : public platform::Pasteboard {
 public:
  std::int64_t clearContents() override { return 0; }
  void writeObjects(std::vector<platform::PasteboardItem>) override {}
  std::vector<platform::PasteboardItem> pasteboardItems() const override { return {}; }
  std::optional<std::string> string() const override { return std::nullopt; }
  std::int64_t changeCount() const override { return 0; }
};

class AssistantPanelsIntegration : public AssistantWindowFixture {
 protected:
  AssistantPanelsIntegration() {
    env().notificationCenter->addObserver("PipelineUpdated",
                                          platform::NotificationCenter::Delivery::postingThread,
                                          [this](const platform::Notification&) { ++pipelineUpdates; });
  }

  // Runs a pipeline of `prompts` over `text` at the opening: the conversation then holds the
  // "original" job and one job per prompt, the last one shown.
  std::shared_ptr<AssistantWindowContent> runPipeline(const std::vector<std::string>& prompts,
                                                      const std::string& text = "Hello") {
    pipelineId = addPipeline("Steps", prompts);
    env().userDefaults->setString("currentPipelineId", std::to_string(pipelineId));
    auto content = open(text, true);
    finishRun(*content->view());
    return content;
  }

  // Shows job `index`, as a click in the strip does, and renders.
  void show(AssistantWindowContent& content, int index) {
    content.view()->resultView()->selectJob(index);
    settle(0);
  }

  std::vector<platform::NotificationContent> userNotifications() {
    std::vector<platform::NotificationContent> contents;
    for (const auto& request : desktop().userNotificationCenter->requests())
      contents.push_back(request.content);
    return contents;
  }

  void signIn() { env().userDefaults->setString("SessionToken", "token"); }

  std::int64_t pipelineId = 0;
  int pipelineUpdates = 0;
};

std::string repeat(const std::string& text, int times) {
  std::string result;
  for (int i = 0; i < times; ++i) result += text;
  return result;
}

// A family emoji: three people joined by zero-width joiners, no ASCII.
const std::string kFamily = "\U0001F469\u200D\U0001F469\u200D\U0001F467";

TEST_F(AssistantPanelsIntegration, JobLabelsAreCutAtTheirLimitInUserPerceivedCharacters) {
  const std::vector<std::pair<std::string, std::string>> table = {
      {"Structure", "Structure"},
      {"Smooth wording", "Smooth wor..."},
      {"六个汉字标签", "六个汉字标..."},   // no ASCII: the limit is 5
      {"六个汉字 标签", "六个汉字 标签"},  // a space raises the limit to 10
      {"e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301",
       "e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301"},  // ten clusters, with ASCII
      {repeat(kFamily, 6), repeat(kFamily, 5) + "..."},  // one cluster of five code points each
      {"一二三四五\r\n", "一二三四五\r\n"},              // CRLF: one ASCII character, six in all
      {"", ""},
  };
  for (const auto& [text, label] : table) EXPECT_EQ(ResultView::jobLabel(text), label) << text;
}

struct StripCase {
  std::size_t prompts;  // jobs = prompts + 1
  int current;
  std::string expected;  // per index: j (entry), . ("..."), - (nothing)
  int chevrons;
};

class AssistantStripIntegration : public AssistantPanelsIntegration,
                                  public ::testing::WithParamInterface<StripCase> {};

TEST_P(AssistantStripIntegration, TheStripShortensFromSixJobsOn) {
  const auto& c = GetParam();
  std::vector<std::string> prompts;
  for (std::size_t i = 1; i <= c.prompts; ++i) prompts.push_back("Step " + std::to_string(i));
  auto content = runPipeline(prompts);
  show(*content, c.current);
  const auto& host = *content->host();
  std::string seen;
  for (std::size_t i = 0; i <= c.prompts; ++i) {
    const auto index = std::to_string(i);
    seen += host.find("job-" + index) ? 'j' : host.find("job-ellipsis-" + index) ? '.' : '-';
  }
  EXPECT_EQ(seen, c.expected);
  const auto* current = host.find("job-" + std::to_string(c.current));
  ASSERT_NE(current, nullptr);
  EXPECT_EQ(current->kind, ui::NodeKind::text) << "the shown job is no button";
  int chevrons = 0;
  for (const auto& child : host.find("jobStrip")->children) chevrons += child.symbol == "chevron.right";
  EXPECT_EQ(chevrons, c.chevrons);
}

INSTANTIATE_TEST_SUITE_P(Counts, AssistantStripIntegration,
                         ::testing::Values(StripCase{4, 2, "jjjjj", 4}, StripCase{5, 0, "jj.--j", 2},
                                           StripCase{7, 4, "j-.jjj.j", 4}, StripCase{7, 7, "j----.jj", 2}));

TEST_F(AssistantPanelsIntegration, ThePromptBarShowsWhatItsStateAllows) {
  struct Case {
    std::string selected, prompt;
    bool processing;
    bool padded, pipelineButtons, submitEnabled, spinner;
  };
  const std::vector<Case> table = {
      {"Text", "", false, true, true, false, false},
      {"", "", false, true, false, false, false},          // nothing to work on
      {"Text", " \n ", false, true, false, false, false},  // blank prompt
      {"Text", "Go", false, true, false, true, false},
      {"Text", "Go", true, true, false, false, true},
      {"Text", "", true, false, false, false, false},  // a run without a typed prompt: nothing
  };
  addPipeline("Steps", {"P1"});
  for (const auto& c : table) {
    auto content = open(c.selected, false);
    auto& view = *content->view();
    view.setPrompt(c.prompt);
    if (c.processing) env().notificationCenter->post("processingStarted");
    settle(0);
    const auto& host = *content->host();
    const auto& bar = *view.promptingView();
    EXPECT_EQ(bar.hasPaddedLayout(), c.padded) << c.selected << "/" << c.prompt << "/" << c.processing;
    EXPECT_EQ(host.find("pipeline-1") != nullptr, c.pipelineButtons) << c.prompt;
    EXPECT_EQ(host.isEnabled("submitPrompt"), c.submitEnabled) << c.prompt;
    EXPECT_EQ(host.find("promptSpinner") != nullptr, c.spinner) << c.prompt;
    EXPECT_EQ(host.find("promptPlaceholder") != nullptr, c.prompt.empty() && !c.processing) << c.prompt;
    env().notificationCenter->post("processingEnded");
    settle(0);
  }
}

TEST_F(AssistantPanelsIntegration, ThePlaceholderNamesTheNextStepOrAHint) {
  auto content = runPipeline({"P1", "P2"});
  auto& bar = *content->view()->promptingView();
  const std::vector<std::pair<int, std::string>> table = {
      {2, platform::localizedString("continueSomeFollowUps")}, {1, "P2"}, {0, "P1"}};
  for (const auto& [index, text] : table) {
    show(*content, index);
    EXPECT_EQ(bar.placeholderText(), text) << index;
  }
  auto fresh = open("Other", false);
  EXPECT_EQ(fresh->view()->promptingView()->placeholderText(),
            platform::localizedString("tellAiToDoSomething"));
}

TEST_F(AssistantPanelsIntegration, CommandDigitRunsAThreePromptPipelineThatSendsTwoFourAndSixMessages) {
  const auto id = addPipeline("Three", {"P1", "P2", "P3"});
  const auto number = store->getPipelines().size();  // after the seeded ones
  const auto digit = std::to_string(number);
  auto content = open("Hello", false);
  auto& host = *content->host();
  EXPECT_EQ(host.find("pipeline-" + digit)->children.front().text,
            PromptingView::pipelineButtonLabel("Three", number));
  EXPECT_TRUE(PromptingView::pipelineButtonLabel("Three", number).ends_with("(\u2318+" + digit + ")"));

  EXPECT_EQ(host.key(KeyEvent::character(digit, mod::command)), ui::KeyRoute::shortcut);
  finishRun(*content->view());
  const auto bodies = processTextBodies();
  ASSERT_EQ(bodies.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(bodies[i]["messages"].size(), 2 * (i + 1)) << i;
  EXPECT_EQ(content->view()->conversation()->pipelineId, id);
  EXPECT_EQ(storedCount("SELECT count(*) FROM jobs"), 3);
}

TEST_F(AssistantPanelsIntegration, EveryPipelineUpdateReloadsTheButtonsEvenWhileTheyAreHidden) {
  const auto first = addPipeline("First", {"A"});
  addPipeline("Second", {"B"});
  const auto count = store->getPipelines().size();
  auto content = open("Hello", false);
  auto& view = *content->view();
  view.setPrompt("typing hides the buttons");
  settle(0);
  ASSERT_EQ(content->host()->find("pipeline-1"), nullptr);
  store->deletePipeline(first);
  env().notificationCenter->post("PipelineUpdated");
  view.setPrompt("");
  settle(0);
  ASSERT_EQ(view.promptingView()->pipelines().size(), count - 1);
  const auto last = "pipeline-" + std::to_string(count - 1);
  EXPECT_EQ(content->host()->find(last)->children.front().text,
            PromptingView::pipelineButtonLabel("Second", count - 1));
  EXPECT_EQ(content->host()->find("pipeline-" + std::to_string(count)), nullptr);
}

TEST_F(AssistantPanelsIntegration, RegenerateOnJobThreeOfSixRunsItsPromptOverJobTwosAnswerInQuality) {
  auto content = runPipeline({"P1", "P2", "P3", "P4", "P5"});
  auto& view = *content->view();
  signIn();
  show(*content, 3);
  ASSERT_TRUE(content->host()->click("regenerate"));
  EXPECT_EQ(view.currentJobIndex(), 2) << "before the task starts";
  finishRun(view);

  const auto bodies = processTextBodies();
  ASSERT_EQ(bodies.size(), 6u);
  EXPECT_EQ(bodies.back()["mode"], "quality");
  EXPECT_EQ(bodies.back()["messages"].size(), 6u) << "the history up to job 2, then the prompt";
  EXPECT_EQ(bodies.back()["messages"].back()["content"], "P3");
  const auto& jobs = view.conversation()->jobs;
  ASSERT_EQ(jobs.size(), 4u) << "jobs 4 and 5 are gone";
  EXPECT_EQ(jobs[3].prompt, "P3");
  EXPECT_EQ(jobs[3].content, "You said: P2");
  EXPECT_EQ(view.currentJobIndex(), 3);
}

TEST_F(AssistantPanelsIntegration, RegenerateReadsTheSignInWhenPressed) {
  auto content = runPipeline({"P1"});
  auto& view = *content->view();
  auto alerts = std::dynamic_pointer_cast<platform::RecordingAlertPresenter>(env().alertPresenter);
  ASSERT_TRUE(alerts);
  alerts->scriptAnswer(0);
  ASSERT_TRUE(content->host()->click("regenerate"));
  settle(0);
  ASSERT_EQ(alerts->shownAlerts().size(), 1u);
  EXPECT_EQ(alerts->shownAlerts()[0].messageText, platform::localizedString("alertLoginTitle"));
  EXPECT_EQ(desktop().workspace->openedURLs().back(), service.baseURL() + "/auth/login?callback=macos");
  EXPECT_EQ(view.currentJobIndex(), 1) << "signed out: nothing moves";
  EXPECT_EQ(processTextBodies().size(), 1u);

  signIn();  // while the window stays open
  ASSERT_TRUE(content->host()->click("regenerate"));
  finishRun(view);
  EXPECT_EQ(processTextBodies().size(), 2u);
  EXPECT_EQ(alerts->shownAlerts().size(), 1u);
}

TEST_F(AssistantPanelsIntegration, TheHiddenActionsOfTheFirstJobIgnoreTheirShortcuts) {
  struct Case {
    bool freeAsk;
    bool acts;
  };
  signIn();
  for (const auto& c : {Case{false, false}, Case{true, true}}) {
    std::shared_ptr<AssistantWindowContent> content;
    if (c.freeAsk) {
      content = open("", false);
      content->view()->handleCustomCommit("", "Tell me", "fast");
      finishRun(*content->view());
    } else {
      content = runPipeline({"P1"});
      show(*content, 0);
    }
    const auto requests = processTextBodies().size();
    const auto notes = userNotifications().size();
    auto& host = *content->host();
    EXPECT_EQ(host.key(KeyEvent::character("c", mod::command | mod::shift)) == ui::KeyRoute::shortcut,
              c.acts);
    EXPECT_EQ(host.key(KeyEvent::character("r", mod::command)) == ui::KeyRoute::shortcut, c.acts);
    finishRun(*content->view());
    EXPECT_EQ(processTextBodies().size(), requests + (c.acts ? 1 : 0)) << c.freeAsk;
    EXPECT_EQ(userNotifications().size(), notes + (c.acts ? 1 : 0)) << c.freeAsk;
  }
}

TEST_F(AssistantPanelsIntegration, SavingStoresOnePipelineOrReportsItsFailureAndKeepsTheButton) {
  for (bool failing : {false, true}) {
    auto content = open("Base", false);
    auto& view = *content->view();
    view.handleCustomCommit("Base", "Make it short", "fast");
    finishRun(view);
    ASSERT_TRUE(content->host()->find("saveAsPipeline"));
    if (failing) store->db()->execute("DROP TABLE pipeline_prompts");
    const auto before = store->getPipelines().size();
    const int updates = pipelineUpdates;
    ASSERT_TRUE(content->host()->click("saveAsPipeline"));
    settle(0.29);
    EXPECT_EQ(pipelineUpdates, updates) << "not before 0.3 s";
    settle(0.02);
    EXPECT_EQ(pipelineUpdates, updates + (failing ? 0 : 1));
    EXPECT_EQ(store->getPipelines().size(), before + (failing ? 0 : 1));
    EXPECT_EQ(content->host()->find("saveAsPipeline") != nullptr, failing) << "the button stays to try again";
    EXPECT_FALSE(view.isProcessing());
    const auto notes = userNotifications();
    EXPECT_EQ(!notes.empty() && notes.back().body == platform::localizedString("savePipelineFailed"),
              failing);
  }
}

TEST_F(AssistantPanelsIntegration, CopyReportsWhatThePasteboardTook) {
  auto content = runPipeline({"P1"});
  for (bool refusing : {false, true}) {
    if (refusing) env().pasteboard = std::make_shared<RefusingPasteboard>();
    ASSERT_TRUE(content->host()->click("copyResult"));
    EXPECT_EQ(userNotifications().back().body,
              platform::localizedString(refusing ? "copyFailed" : "copiedClipboard"));
  }
  EXPECT_EQ(desktop().pasteboard->string(), "You said: P1");
}

TEST_F(AssistantPanelsIntegration, ANewNameRenamesTheStoredPipelineOnlyWhileItIsThatPipelinesRun) {
  enum class Road { pipelineRun, afterFollowUp, typedPrompt };
  for (const auto road : {Road::pipelineRun, Road::afterFollowUp, Road::typedPrompt}) {
    std::shared_ptr<AssistantWindowContent> content;
    if (road == Road::typedPrompt) {
      pipelineId = addPipeline("Steps", {"P1"});
      content = open("Base", false);
      content->view()->handleCustomCommit("Base", "Steps", "fast");
      finishRun(*content->view());
    } else {
      content = runPipeline({"P1"});
    }
    if (road == Road::afterFollowUp) {
      content->view()->handleCustomCommit("x", "Follow up", "fast");
      finishRun(*content->view());
    }
    auto& host = *content->host();
    const int updates = pipelineUpdates;
    ASSERT_TRUE(host.click("pipelineName"));
    settle(0);
    host.type(" v2", "pipelineNameField");
    host.key(KeyEvent::code(key::returnKey));
    settle(0);
    const bool renames = road == Road::pipelineRun;
    EXPECT_EQ(content->view()->conversation()->name, "Steps v2") << "the header follows every keystroke";
    EXPECT_FALSE(content->view()->isPipelineNameEditing());
    EXPECT_EQ(store->getPipelinePrompts(pipelineId)->name, renames ? "Steps v2" : "Steps") << int(road);
    EXPECT_EQ(pipelineUpdates, updates + (renames ? 1 : 0)) << int(road);
    store->deletePipeline(pipelineId);
  }
}

TEST_F(AssistantPanelsIntegration, TheCardShowsTheShownAnswerAndItsHeightSizesTheWindow) {
  auto content = runPipeline({"P1"});
  auto& view = *content->view();
  const auto page = content->host()->webView(ResultView::cardId);
  ASSERT_TRUE(page);
  const auto& scripts = page->host().evaluatedScripts();
  const auto pushed = WebView::contentScript(TextHandlingService::markdownToHTML("You said: P1"));
  EXPECT_NE(std::find(scripts.begin(), scripts.end(), pushed), scripts.end());

  page->host().answerScripts([](const std::string& script) {
    return platform::WebViewHost::ScriptAnswer{script == WebView::measureScript ? "500" : "", std::nullopt};
  });
  show(*content, 0);
  settle(0);
  EXPECT_NE(std::find(scripts.begin(), scripts.end(), WebView::scrollScript), scripts.end());
  EXPECT_EQ(view.resultView()->card()->webviewHeight(), DetachedWebView::maximumHeight);
  EXPECT_EQ(view.resultHeight(), content->host()->measuredHeight("answerPanel"));
  EXPECT_GT(view.resultHeight(), DetachedWebView::maximumHeight);
  EXPECT_EQ(windows->mainWindow()->frame().height, view.resultHeight() + view.promptHeight());
}

TEST_F(AssistantPanelsIntegration, NavigationStopsAtTheEndsAndWhileARunGoesOn) {
  auto content = runPipeline({"P1", "P2"});
  auto& view = *content->view();
  auto& host = *content->host();
  struct Step {
    std::uint16_t code;
    bool processing;
    int expected;
  };
  const std::vector<Step> table = {
      {key::leftArrow, false, 1},  {key::leftArrow, false, 0},  {key::leftArrow, false, 0},
      {key::rightArrow, true, 0},  {key::rightArrow, false, 1}, {key::rightArrow, false, 2},
      {key::rightArrow, false, 2}, {key::leftArrow, true, 2},
  };
  for (const auto& step : table) {
    env().notificationCenter->post(step.processing ? "processingStarted" : "processingEnded");
    settle(0);
    host.key(KeyEvent::code(step.code, mod::command));
    settle(0);
    EXPECT_EQ(view.currentJobIndex(), step.expected);
    EXPECT_EQ(view.resultText(), view.conversation()->jobs[static_cast<std::size_t>(step.expected)].result);
  }
}

}  // namespace
}  // namespace quellorin
