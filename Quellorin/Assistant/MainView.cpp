#include "Quellorin/Assistant/MainView.h"

#include <charconv>
#include <chrono>
#include <utility>

#include "Platform/Core/Log.h"
#include "Platform/Core/Unicode.h"
#include "Platform/Crypto/UUID.h"
#include "Platform/Dispatch/Clock.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/TaskPool.h"
#include "Platform/Http/HttpCancellation.h"
#include "Quellorin/Assistant/DatabaseService.h"
#include "Quellorin/Assistant/PromptingView.h"
#include "Quellorin/Assistant/ResultView.h"
#include "Quellorin/Services/AIService.h"
#include "Quellorin/Services/CustomWindow.h"
#include "Quellorin/Services/NotificationService.h"
#include "Quellorin/Services/TextHandlingService.h"
#include "Quellorin/Services/WindowService.h"

namespace quellorin {

namespace {

constexpr const char* kProcessingStarted = "processingStarted";
constexpr const char* kProcessingEnded = "processingEnded";
constexpr const char* kOriginal = "original";

// A length in its shortest decimal form, always with a fractional part ("130.0", "60.8").
std::string pointsText(double value) {
  char buffer[64];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  std::string text(buffer, end);
  if (text.find_first_of(".eEn") == std::string::npos) text += ".0";
  return text;
}

std::optional<std::int64_t> storedPipelineId() {
  const auto store = ui::currentUserDefaults();
  if (!store->contains("currentPipelineId")) return std::nullopt;
  if (auto text = store->string("currentPipelineId")) {
    std::int64_t value = 0;
    const auto* first = text->data();
    const auto* last = first + text->size();
    const auto [ptr, error] = std::from_chars(first, last, value);
    if (error != std::errc() || ptr != last) return std::nullopt;
    return value;
  }
  return store->integer("currentPipelineId");
}

sql::Date now() {
  const auto milliseconds = static_cast<std::int64_t>(platform::Clock::current()->wallTime() * 1000.0);
  return sql::Date(std::chrono::milliseconds(milliseconds));
}

}  // namespace

// One run of the request loop. Owned by the view while it is the run going on; the pool task and
// the queued event handlers hold it too, and compare it with the view's run before acting.
struct MainView::Run {
  std::uint64_t number = 0;
  Pipeline pipeline;
  std::string text;
  std::string mode;
  std::size_t step = 0;
  // Index of the job the step in flight appended.
  int stepJobIndex = -1;
  // The answer of the step before: the next step's input.
  std::string previousResult;
  std::shared_ptr<platform::HttpCancellation> cancellation;
};

MainViewServices MainViewServices::shared() {
  return MainViewServices{AIService::shared(), DatabaseService::shared(), WindowService::shared(),
                          TextHandlingService::shared(), NotificationService::shared()};
}

MainView::MainView(std::string selectedText, bool autoWork, platform::Size windowSize,
                   MainViewServices services)
    : services_(std::move(services)),
      windowSize_(windowSize),
      viewRefreshId_(*this, "viewRefreshId", platform::randomUUIDString()),
      isErrorState_(*this, false),
      autoWork_(*this, autoWork),
      prompt_(*this, ""),
      isProcessing_(*this, false),
      selectedText_(*this, selectedText),
      resultText_(*this, ""),
      isPromptingFocused_(*this, false),
      resultHeight_(*this, 0),
      promptHeight_(*this, 0),
      currentPipelineId_(*this, storedPipelineId()),
      conversation_(*this, std::nullopt),
      currentJobIndex_(*this, 0),
      pipelineEdited_(*this, false),
      isPipelineNameEditing_(*this, false),
      workMode_(*this, selectedText.empty() ? freeAsk : (autoWork ? pipelineMode : custom)),
      conversationIsPipelineRun_(*this, false) {}

MainView::~MainView() {
  if (observedCenter_) {
    for (const auto& token : observerTokens_) observedCenter_->removeObserver(token);
  }
  if (run_ && run_->cancellation) run_->cancellation->cancel();
}

void MainView::makePanels() {
  const auto weak = std::weak_ptr<MainView>(std::static_pointer_cast<MainView>(shared_from_this()));
  CustomCommit customCommit = [weak](const std::string& text, const std::string& prompt,
                                     const std::string& mode) {
    if (auto self = weak.lock()) self->handleCustomCommit(text, prompt, mode);
  };
  PipelineCommit pipelineCommit = [weak](std::int64_t id, const std::string& text) {
    if (auto self = weak.lock()) self->handlePipelineCommit(id, text);
  };
  resultView_ = ResultView::make(ResultView::Inputs{
      .resultText = resultText_.binding(),
      .isPipelineNameEditing = isPipelineNameEditing_.binding(),
      .conversation = conversation_.binding(),
      .currentJobIndex = currentJobIndex_.binding(),
      .pipelineEdited = pipelineEdited_.binding(),
      .isProcessing = isProcessing_.binding(),
      .workMode = workMode_.binding(),
      .conversationIsPipelineRun = conversationIsPipelineRun_.binding(),
      .handleCustomCommit = customCommit,
      .onCardHeightChange =
          [weak] {
            if (auto self = weak.lock()) self->remeasureSoon();
          },
      .store = services_.store,
      .textHandling = services_.textHandling,
      .notifications = services_.notifications,
  });
  promptingView_ = PromptingView::make(PromptingView::Inputs{
      .prompt = prompt_.binding(),
      .isProcessing = isProcessing_.binding(),
      .selectedText = *selectedText_,
      .resultText = resultText_.binding(),
      .conversation = conversation_.binding(),
      .currentJobIndex = currentJobIndex_.binding(),
      .isPromptingFocused = isPromptingFocused_,
      .handlePipelineCommit = pipelineCommit,
      .handleCustomCommit = customCommit,
      .store = services_.store,
      .windows = services_.windows,
  });
}

ui::Node MainView::body() {
  (void)viewRefreshId_.get();
  if (!resultView_) makePanels();
  auto answer = ui::Embed(resultView_).id("answerPanel");
  ui::Frame wide;
  wide.maxWidth = ui::infinity;
  answer.frame(wide).background(ui::Color::named("resultViewBgColor"));
  auto promptBar = ui::Embed(promptingView_);
  promptBar.frame(wide);
  auto panels = ui::VStack({std::move(answer), std::move(promptBar)});
  panels.frame(wide);
  auto background = ui::Empty().id("keyMonitorAnchor");
  background.onAppear(weakly(this, [](MainView& self) { self.setUpKeyMonitorAndObservers(); }));
  auto root = ui::ZStack({std::move(background), std::move(panels)});
  root.frame(ui::Frame{.width = std::nullopt,
                       .height = std::nullopt,
                       .minWidth = 0,
                       .maxWidth = ui::infinity,
                       .minHeight = 0,
                       .maxHeight = ui::infinity})
      .background(ui::Color::named("promptingBgColor"))
      .cornerRadius(10)
      .id("mainView");
  root.onAppear(weakly(this, [](MainView& self) { self.autoStartIfNeeded(); }));
  return root;
}

void MainView::setUpKeyMonitorAndObservers() {
  if (installed_) return;
  installed_ = true;
  if (auto shown = host()) {
    monitoredHost_ = shown;
    monitorToken_ = shown->addLocalKeyMonitor(
        [weak = std::weak_ptr<MainView>(std::static_pointer_cast<MainView>(shared_from_this()))](
            const ui::KeyEvent& event) -> std::optional<ui::KeyEvent> {
          if (auto self = weak.lock()) return self->handleLocalKeyDown(event);
          return event;
        });
  }
  observedCenter_ = platform::NotificationCenter::defaultCenter();
  using Delivery = platform::NotificationCenter::Delivery;
  observerTokens_.push_back(observedCenter_->addObserver(
      kProcessingStarted, Delivery::mainQueue,
      weakly(this, [](MainView& self, const platform::Notification& n) { self.onProcessingStarted(n); })));
  observerTokens_.push_back(observedCenter_->addObserver(
      kProcessingEnded, Delivery::mainQueue,
      weakly(this, [](MainView& self, const platform::Notification& n) { self.onProcessingEnded(n); })));
}

void MainView::tearDown() {
  if (run_) stopRun(run_);
  if (auto shown = monitoredHost_.lock()) shown->removeLocalKeyMonitor(monitorToken_);
  monitoredHost_.reset();
  if (observedCenter_) {
    for (const auto& token : observerTokens_) observedCenter_->removeObserver(token);
  }
  observerTokens_.clear();
  observedCenter_.reset();
}

std::optional<ui::KeyEvent> MainView::handleLocalKeyDown(const ui::KeyEvent& event) {
  switch (event.keyCode) {
    case ui::keycode::escape: {
      if (!*isProcessing_) {
        if (*isPipelineNameEditing_) {
          isPipelineNameEditing_.set(false);
          return std::nullopt;
        }
        platform::log("toolbar 隐藏");
        if (auto windows = services_.windows.lock()) {
          if (auto window = windows->mainWindow()) window->orderOut();
          windows->restoreFocusToOriginalApp();
        }
        return std::nullopt;
      }
      takeBackUnansweredStep();
      if (run_) stopRun(run_);
      platform::NotificationCenter::defaultCenter()->post(kProcessingEnded);
      return std::nullopt;
    }
    case ui::keycode::returnKey: {
      if (*isPromptingFocused_ && !platform::unicode::trimmingWhitespaceAndNewlines(*prompt_).empty()) {
        const std::string text = resultText_->empty() ? *selectedText_ : *resultText_;
        handleCustomCommit(text, *prompt_, "fast");
        return std::nullopt;
      }
      return event;
    }
    case ui::keycode::tab:
    case ui::keycode::rightArrow: {
      const auto& conversation = *conversation_;
      if (!event.has(ui::modifier::command) && *isPromptingFocused_ && prompt_->empty() && conversation &&
          *currentJobIndex_ >= 0 &&
          static_cast<std::size_t>(*currentJobIndex_) + 1 < conversation->jobs.size()) {
        prompt_.set(conversation->jobs[static_cast<std::size_t>(*currentJobIndex_) + 1].prompt);
        return std::nullopt;
      }
      return event;
    }
    default:
      return event;
  }
}

void MainView::takeBackUnansweredStep() {
  if (!resultText_->empty() || !conversation_->has_value() || *currentJobIndex_ < 1) return;
  const auto index = static_cast<std::size_t>(*currentJobIndex_);
  auto copy = **conversation_;
  if (index != copy.jobs.size() - 1) return;
  resultText_.set(copy.jobs[index - 1].result);
  copy.jobs.pop_back();
  currentJobIndex_.set(static_cast<int>(index) - 1);
  conversation_.set(std::move(copy));
  updateWindowHeight();
}

void MainView::autoStartIfNeeded() {
  // The whole view appears before its background does: the observers must be in place before
  // the run posts its start.
  setUpKeyMonitorAndObservers();
  remeasureSoon();
  if (selectedText_->empty() || !*autoWork_ || !currentPipelineId_->has_value()) return;
  handlePipelineCommit(**currentPipelineId_, *selectedText_);
}

void MainView::updateWindowHeight() {
  const auto windows = services_.windows.lock();
  if (!windows) return;
  const auto window = windows->mainWindow();
  if (!window) return;
  const double total = *resultHeight_ + *promptHeight_;
  platform::log("[info] resultHeight：" + pointsText(*resultHeight_) + ", promptHeight：" +
                pointsText(*promptHeight_) + ", totalHeight：" + pointsText(total));
  windows->resizeWindow(window->frame().width, total);
}

void MainView::remeasureSoon() {
  // Queued behind the render that the change just scheduled, so the tree measured is the new one.
  platform::MainQueue::main()->async(weakly(this, [](MainView& self) {
    if (auto shown = self.host())
      self.heightsMeasured(shown->measuredHeight("answerPanel"), shown->measuredHeight("promptBar"));
  }));
}

void MainView::heightsMeasured(std::optional<double> result, std::optional<double> prompt) {
  bool changed = false;
  if (result && *result != *resultHeight_) {
    resultHeight_.set(*result);
    changed = true;
  }
  if (prompt) {
    const double moved = *prompt - *promptHeight_;
    if ((moved > 1.0 || moved < -1.0) && *prompt < 200.0) {
      promptHeight_.set(*prompt);
      changed = true;
    }
  }
  if (changed) updateWindowHeight();
}

std::string MainView::conversationName(const std::string& prompt) {
  if (platform::unicode::characterCount(prompt) <= 10) return prompt;
  return std::string(platform::unicode::prefix(prompt, 10)) + "...";
}

std::string MainView::answerLanguage(const std::optional<std::string>& code) {
  const std::string value = code.value_or("en");
  if (value == "zh") return "Chinese";
  if (value == "jp") return "Japanese";
  if (value == "fr") return "French";
  return "English";
}

void MainView::handleCustomCommit(const std::string& text, const std::string& prompt,
                                  const std::string& mode) {
  if (!text.empty() && *workMode_ != freeAsk) workMode_.set(custom);
  platform::log("进入 custom 模式");
  if (prompt.empty()) return;
  Pipeline pipeline{std::nullopt, conversationName(prompt), {Prompt{std::nullopt, prompt}}};
  sendConversation(pipeline, text, mode);
}

void MainView::handlePipelineCommit(std::int64_t pipelineId, const std::string& text) {
  workMode_.set(pipelineMode);
  platform::log("进入 pipeline 模式");
  if (!services_.store) return;
  const auto pipeline = services_.store->getPipelinePrompts(pipelineId);
  if (!pipeline) return;
  sendConversation(*pipeline, text, "fast");
}

void MainView::modifyConversation(const std::function<void(Conversation&)>& change) {
  if (!conversation_->has_value()) return;
  auto copy = **conversation_;
  change(copy);
  conversation_.set(std::move(copy));
}

void MainView::sendConversation(const Pipeline& pipeline, const std::string& text, const std::string& mode) {
  // A run started while another goes on replaces it: the old request is cancelled and its late
  // events are dropped.
  if (run_) {
    takeBackUnansweredStep();
    stopRun(run_);
  }
  auto center = platform::NotificationCenter::defaultCenter();
  center->post(kProcessingStarted);

  if (conversation_->has_value()) {
    // Any other prompt run in it makes the conversation its own, no longer its pipeline's run.
    if (pipeline.id != (*conversation_)->pipelineId) conversationIsPipelineRun_.set(false);
    const int index = *currentJobIndex_;
    modifyConversation([&](Conversation& conversation) {
      const auto keep = static_cast<std::size_t>(std::max(index, 0)) + 1;
      if (conversation.jobs.size() > keep) conversation.jobs.resize(keep);
      if (conversation.jobs.size() == 1) conversation.name = pipeline.name;
    });
  } else {
    conversation_.set(services_.store ? services_.store->createConversation(pipeline.name, pipeline.id)
                                      : std::nullopt);
    conversationIsPipelineRun_.set(pipeline.id.has_value());
    if (!text.empty()) appendJob(text, kOriginal, text);
  }
  if (!conversation_->has_value() || !(*conversation_)->id) {
    center->post(kProcessingEnded);
    platform::log("错误：未能创建会话");
    return;
  }

  auto run = std::make_shared<Run>();
  run->number = nextRunNumber_++;
  run->pipeline = pipeline;
  run->text = text;
  run->mode = mode;
  run_ = run;
  if (pipeline.prompts.empty()) {
    finishRun(run);
    return;
  }
  startStep(run);
}

std::vector<std::map<std::string, std::string>> MainView::messagesFor(const std::string& prompt) const {
  std::vector<std::map<std::string, std::string>> messages;
  const auto store = ui::currentUserDefaults();
  const std::string language = answerLanguage(store->string("Language"));
  if (const auto& conversation = *conversation_) {
    for (const auto& job : conversation->jobs) {
      if (job.prompt == kOriginal) {
        messages.push_back({{"role", "user"},
                            {"content", "<content>" + job.result + "</content><user_language>" + language +
                                            "</user_language>"}});
      } else {
        messages.push_back({{"role", "user"}, {"content", job.prompt}});
        messages.push_back({{"role", "assistant"}, {"content", job.result}});
      }
    }
  }
  messages.push_back({{"role", "user"}, {"content", prompt}});
  return messages;
}

void MainView::startStep(const std::shared_ptr<Run>& run) {
  if (run_ != run) {
    platform::log("resultingSemaphore 被外部清空，退出循环");
    return;
  }
  const auto& prompt = run->pipeline.prompts[run->step].prompt;
  auto messages = messagesFor(prompt);
  appendJob(run->step == 0 ? run->text : run->previousResult, prompt, "");
  run->stepJobIndex = *currentJobIndex_;
  run->cancellation = std::make_shared<platform::HttpCancellation>();
  const std::string sessionId = "conversation__" + std::to_string(*(*conversation_)->id);

  auto ai = services_.aiService;
  if (!ai) {
    stepEnded(run);
    return;
  }
  const auto queue = platform::MainQueue::main();
  const auto weak = std::weak_ptr<MainView>(std::static_pointer_cast<MainView>(shared_from_this()));
  auto onEvent = [queue, weak, run](const StreamEvent& event) {
    auto deliver = [weak, run, event] {
      if (auto self = weak.lock()) self->handleAIEvent(run, event);
    };
    // Events the client reports from the main queue are handled in place, so they come before
    // the step's end, which is queued after the request returns.
    if (queue->isMainThread())
      deliver();
    else
      queue->async(deliver);
  };
  platform::TaskPool::shared()->async(
      [ai, queue, weak, run, messages = std::move(messages), sessionId, onEvent] {
        ai->processText(run->mode, false, sessionId, messages, onEvent, run->cancellation.get());
        queue->async([weak, run] {
          if (auto self = weak.lock()) self->stepEnded(run);
        });
      });
}

void MainView::stepEnded(const std::shared_ptr<Run>& run) {
  if (run_ != run) return;
  saveJobResult(*resultText_);
  run->previousResult = *resultText_;
  ++run->step;
  if (run->step >= run->pipeline.prompts.size()) {
    finishRun(run);
    return;
  }
  startStep(run);
}

void MainView::finishRun(std::shared_ptr<Run> run) {
  if (run_ == run) run_.reset();
  pipelineEdited_.set(*workMode_ == custom);
  platform::NotificationCenter::defaultCenter()->post(kProcessingEnded);
}

void MainView::stopRun(std::shared_ptr<Run> run) {
  if (run->cancellation) run->cancellation->cancel();
  if (run_ != run) return;
  run_.reset();
  // The step's job keeps what arrived, when it is still the job shown.
  if (run->stepJobIndex >= 0 && *currentJobIndex_ == run->stepJobIndex && conversation_->has_value() &&
      static_cast<std::size_t>(run->stepJobIndex) < (*conversation_)->jobs.size() && !resultText_->empty()) {
    saveJobResult(*resultText_);
  }
  platform::log("resultingSemaphore 被外部清空，退出循环");
  pipelineEdited_.set(*workMode_ == custom);
}

void MainView::appendJob(const std::string& content, const std::string& prompt, const std::string& result) {
  const auto& conversation = *conversation_;
  Job job{std::nullopt, content, prompt,
          result,       now(),   conversation && conversation->id ? *conversation->id : 0};
  if (!conversation) {
    currentJobIndex_.set(0);
    return;
  }
  std::size_t count = 0;
  modifyConversation([&](Conversation& c) {
    c.jobs.push_back(std::move(job));
    count = c.jobs.size();
  });
  currentJobIndex_.set(static_cast<int>(count) - 1);
}

void MainView::saveJobResult(const std::string& result) {
  if (!conversation_->has_value()) return;
  const int index = *currentJobIndex_;
  if (index < 0 || static_cast<std::size_t>(index) >= (*conversation_)->jobs.size()) return;
  Job stored;
  modifyConversation([&](Conversation& c) {
    c.jobs[static_cast<std::size_t>(index)].result = result;
    stored = c.jobs[static_cast<std::size_t>(index)];
  });
  if (services_.store) services_.store->saveJob(stored);
}

void MainView::handleAIEvent(const std::shared_ptr<Run>& run, const StreamEvent& event) {
  // Events of a run that was stopped or replaced are dropped: they must not reach the window.
  if (run_ != run) return;
  // A record without a kind carries nothing the window uses.
  if (event.event.empty()) return;
  if (event.event == "error") {
    // The run stops at the failed step; the recovery runs now, before anything else can.
    isErrorState_.set(true);
    const std::string captured = *prompt_;
    run_.reset();
    if (run->cancellation) run->cancellation->cancel();
    platform::NotificationCenter::defaultCenter()->post(kProcessingEnded, std::string("error"));
    recoverFromError(captured);
    pipelineEdited_.set(*workMode_ == custom);
    platform::NotificationCenter::defaultCenter()->post(kProcessingEnded);
    return;
  }
  if (event.event == "workflow_started") {
    resultText_.set("");
  } else if (event.event == "workflow_finished") {
    if (!event.message.empty()) platform::log("workflow_finished: " + event.message);
  } else if (event.event == "message") {
    resultText_.set(*resultText_ + event.message);
    remeasureSoon();
  }
}

void MainView::onProcessingStarted(const platform::Notification&) {
  isPromptingFocused_.set(false);
  isProcessing_.set(true);
}

void MainView::onProcessingEnded(const platform::Notification& notification) {
  // The failed step's recovery is run by the run itself, in order; nothing to do here.
  if (notification.object && *notification.object == "error") return;
  isPromptingFocused_.set(true);
  isProcessing_.set(false);
  if (!*isErrorState_) prompt_.set("");
  isErrorState_.set(false);
  remeasureSoon();
}

void MainView::recoverFromError(const std::string& prompt) {
  if (*workMode_ == freeAsk) {
    platform::log("free-ask模式");
    resultText_.set("");
    isProcessing_.set(false);
    conversation_.set(std::nullopt);
    isPromptingFocused_.set(true);
    resultHeight_.set(0);
    prompt_.set(prompt);
  } else if (*workMode_ == pipelineMode || *workMode_ == custom) {
    platform::log("pipeline模式或者custom模式");
    const int index = *currentJobIndex_;
    if (conversation_->has_value() && index >= 0 &&
        static_cast<std::size_t>(index) < (*conversation_)->jobs.size()) {
      const Job failed = (*conversation_)->jobs[static_cast<std::size_t>(index)];
      isProcessing_.set(false);
      resultText_.set(failed.content);
      prompt_.set(failed.prompt);
      currentJobIndex_.set(std::max(index - 1, 0));
      modifyConversation([](Conversation& c) {
        if (!c.jobs.empty()) c.jobs.pop_back();
      });
    }
  }
  updateWindowHeight();
}

}  // namespace quellorin
