#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Core/Geometry.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Quellorin/Assistant/Conversation.h"
#include "Quellorin/Assistant/Pipeline.h"
#include "Quellorin/Services/StreamEvent.h"
#include "UI/Host.h"
#include "UI/KeyEvent.h"
#include "UI/View.h"

namespace quellorin {

class AIService;
class DatabaseService;
class NotificationService;
class PromptingView;
class ResultView;
class TextHandlingService;
class WindowService;

// What the assistant window works with. Defaults are the process-wide instances; tests hand
// their own. The view keeps the pointers for its life: whatever they point at must outlive it.
struct MainViewServices {
  std::shared_ptr<AIService> aiService;
  std::shared_ptr<DatabaseService> store;
  std::weak_ptr<WindowService> windows;
  std::shared_ptr<TextHandlingService> textHandling = nullptr;   // none: copying reports a failure
  std::shared_ptr<NotificationService> notifications = nullptr;  // none: nothing is shown

  static MainViewServices shared();
};

// The root view of the floating assistant window: the answer above the prompt bar, the work
// mode, the window's keys and the request loop that turns a commit into one streamed request
// per prompt, storing each finished step as a job.
//
// Threads: everything runs on the main queue. Only the blocking request itself runs on the task
// pool; its events come back to the main queue in stream order, each tagged with the run it
// belongs to, so a run that was stopped or replaced never touches the window again.
//
// Lifecycle: the window service makes one per opening. The key monitor and the notification
// observers installed when it first appears are removed by tearDown(), which the window content
// calls when the window drops it; tearDown() also stops a run that is still going.
class MainView final : public ui::View {
 public:
  // Work modes.
  static constexpr const char* freeAsk = "free-ask";
  static constexpr const char* custom = "custom";
  static constexpr const char* pipelineMode = "pipeline";

  MainView(std::string selectedText, bool autoWork, platform::Size windowSize, MainViewServices services);
  ~MainView() override;

  ui::Node body() override;

  // Installs the key monitor on the host showing this view and the two observers. Idempotent.
  void setUpKeyMonitorAndObservers();
  // Removes what setUpKeyMonitorAndObservers() installed and stops a run that is going.
  void tearDown();

  // The key monitor: the event to let pass, or none to swallow it.
  std::optional<ui::KeyEvent> handleLocalKeyDown(const ui::KeyEvent& event);
  void autoStartIfNeeded();
  void updateWindowHeight();
  // Takes newly measured heights of the answer panel and the prompt bar, resizing the window
  // when they are accepted (the prompt bar's only when it moved by more than a point and stays
  // below 200 points).
  void heightsMeasured(std::optional<double> result, std::optional<double> prompt);
  // Measures both panels on the host once the pending render has run, then heightsMeasured().
  void remeasureSoon();

  // Commits: a typed prompt over `text`, and a stored pipeline over `text`.
  void handleCustomCommit(const std::string& text, const std::string& prompt, const std::string& mode);
  void handlePipelineCommit(std::int64_t pipelineId, const std::string& text);
  // The run: one request per prompt of `pipeline`. A run going on is stopped first.
  void sendConversation(const Pipeline& pipeline, const std::string& text, const std::string& mode);

  void onProcessingStarted(const platform::Notification& notification);
  void onProcessingEnded(const platform::Notification& notification);

  // The conversation's name for a typed prompt: at most 10 user-perceived characters, else the
  // first 10 followed by "...".
  static std::string conversationName(const std::string& prompt);
  // The language named to the service for the "Language" setting.
  static std::string answerLanguage(const std::optional<std::string>& code);

  // State, readable by the panels and tests.
  const std::string& workMode() const { return *workMode_; }
  const std::string& prompt() const { return *prompt_; }
  const std::string& resultText() const { return *resultText_; }
  const std::string& selectedText() const { return *selectedText_; }
  bool isProcessing() const { return *isProcessing_; }
  bool isErrorState() const { return *isErrorState_; }
  bool isPromptingFocused() const { return *isPromptingFocused_; }
  bool pipelineEdited() const { return *pipelineEdited_; }
  bool isPipelineNameEditing() const { return *isPipelineNameEditing_; }
  const std::optional<Conversation>& conversation() const { return *conversation_; }
  int currentJobIndex() const { return *currentJobIndex_; }
  double resultHeight() const { return *resultHeight_; }
  double promptHeight() const { return *promptHeight_; }
  bool hasRunGoing() const { return static_cast<bool>(run_); }
  bool conversationIsPipelineRun() const { return *conversationIsPipelineRun_; }
  // The two panels; null before the first evaluation.
  const std::shared_ptr<ResultView>& resultView() const { return resultView_; }
  const std::shared_ptr<PromptingView>& promptingView() const { return promptingView_; }

  void setPrompt(std::string value) { prompt_.set(std::move(value)); }
  void setPromptingFocused(bool value) { isPromptingFocused_.set(value); }
  void setPipelineNameEditing(bool value) { isPipelineNameEditing_.set(value); }
  void setCurrentJobIndex(int value) { currentJobIndex_.set(value); }

 private:
  struct Run;

  void appendJob(const std::string& content, const std::string& prompt, const std::string& result);
  void saveJobResult(const std::string& result);
  void startStep(const std::shared_ptr<Run>& run);
  void stepEnded(const std::shared_ptr<Run>& run);
  void handleAIEvent(const std::shared_ptr<Run>& run, const StreamEvent& event);
  void recoverFromError(const std::string& prompt);
  // Before the first chunk of a step has come, the step is taken back: the window shows the
  // job before it again and the unanswered job, the last one, leaves the conversation.
  void takeBackUnansweredStep();
  // Ends `run` where it stands (taken by value: it may be the member that this resets): cancels its request,
  // stores the partial answer of its step while that job is still the one shown, and drops the token.
  void stopRun(std::shared_ptr<Run> run);
  void finishRun(std::shared_ptr<Run> run);
  std::vector<std::map<std::string, std::string>> messagesFor(const std::string& prompt) const;
  void modifyConversation(const std::function<void(Conversation&)>& change);
  void makePanels();

  MainViewServices services_;
  platform::Size windowSize_;

  ui::AppStorage<std::string> viewRefreshId_;
  ui::State<bool> isErrorState_;
  ui::State<bool> autoWork_;
  ui::State<std::string> prompt_;
  ui::State<bool> isProcessing_;
  ui::State<std::string> selectedText_;
  ui::State<std::string> resultText_;
  ui::FocusState isPromptingFocused_;
  ui::State<double> resultHeight_;
  ui::State<double> promptHeight_;
  ui::State<std::optional<std::int64_t>> currentPipelineId_;
  ui::State<std::optional<Conversation>> conversation_;
  ui::State<int> currentJobIndex_;
  ui::State<bool> pipelineEdited_;
  ui::State<bool> isPipelineNameEditing_;
  ui::State<std::string> workMode_;
  // True while the conversation holds only steps of the stored pipeline it was made for.
  ui::State<bool> conversationIsPipelineRun_;

  std::shared_ptr<ResultView> resultView_;
  std::shared_ptr<PromptingView> promptingView_;

  // The run going on; none when idle. Replaces a presence-only token: each run is its own
  // object, and events, step ends and stops name the run they belong to.
  std::shared_ptr<Run> run_;
  std::uint64_t nextRunNumber_ = 1;

  bool installed_ = false;
  std::weak_ptr<ui::Host> monitoredHost_;
  ui::Host::MonitorToken monitorToken_ = 0;
  std::vector<platform::NotificationCenter::ObserverToken> observerTokens_;
  std::shared_ptr<platform::NotificationCenter> observedCenter_;
};

}  // namespace quellorin
