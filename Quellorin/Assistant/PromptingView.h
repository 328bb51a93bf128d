#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Dispatch/NotificationCenter.h"
#include "Quellorin/Assistant/Conversation.h"
#include "Quellorin/Assistant/Pipeline.h"
#include "UI/View.h"

namespace quellorin {

class DatabaseService;
class WindowService;

// The prompt bar's commits, supplied by the assistant window: a stored pipeline over a text,
// and a typed prompt over a text with a request mode ("fast" from here).
using PipelineCommit = std::function<void(std::int64_t pipelineId, const std::string& text)>;
using CustomCommit =
    std::function<void(const std::string& text, const std::string& prompt, const std::string& mode)>;

// The lower part of the assistant window: the prompt editor with its submit button, and a row
// of the settings button, one button per stored pipeline (the first nine on Command+digit) and
// the cancel button that hides the window. It runs nothing itself: it hands its commits to the
// window, and shows a run's progress through the window's state that it is bound to.
//
// Threads: main queue only. The commits run on the main queue too, each in a turn of its own,
// reading the work text (the answer shown, else the selected text) when they run.
//
// Lifetime: made once per window content by MainView and embedded in its body. It observes
// "PipelineUpdated" for its whole life (holding itself weakly) and reloads the pipelines at
// every such notification, shown or not, so the buttons never name a deleted or renamed one.
//
// Ids a person acts on: "promptEditor", "promptPlaceholder", "submitPrompt", "openSettings",
// "pipeline-<N>" (N from 1, in list order), "cancelPrompt".
class PromptingView final : public ui::View {
 public:
  // What the window hands in: bindings to its own state, its focus state, the selected text,
  // the two commits and the services.
  struct Inputs {
    ui::Binding<std::string> prompt;
    ui::Binding<bool> isProcessing;
    std::string selectedText;
    ui::Binding<std::string> resultText;
    ui::Binding<std::optional<Conversation>> conversation;
    ui::Binding<int> currentJobIndex;
    ui::FocusState isPromptingFocused;
    PipelineCommit handlePipelineCommit;
    CustomCommit handleCustomCommit;
    std::shared_ptr<DatabaseService> store;
    std::weak_ptr<WindowService> windows;
  };

  static constexpr const char* settingsWindowIdentifier = "SettingsWindow";

  // Reads the pipelines and starts observing "PipelineUpdated".
  static std::shared_ptr<PromptingView> make(Inputs inputs);
  ~PromptingView() override;

  ui::Node body() override;

  // The padding of 10 points on every edge applies unless a run goes on without a typed prompt.
  bool hasPaddedLayout() const;
  // The pipeline buttons show while idle with an empty prompt and a text to work on.
  bool showsPipelineButtons() const;
  // The placeholder of an empty prompt: the next job's prompt after the one shown, the
  // follow-up hint on the last job, the opening hint without jobs.
  std::string placeholderText() const;
  // The answer shown, else the selected text.
  std::string workText() const;

  void submitCustomPrompt();
  // Runs the pipeline at `position` (from 0) of the list; nothing for one without an id.
  void runPipeline(std::size_t position);
  void reloadPipelines();
  void hideAssistantWindow();
  void openSettingsLegacy();
  void openSettingsWindow();
  static void postOpenGeneralSettings();

  // "<name>(⌘+<N>)" looked up as a key, the name looked up first.
  static std::string pipelineButtonLabel(const std::string& name, std::size_t number);

  const std::vector<Pipeline>& pipelines() const { return *pipelines_; }

 private:
  explicit PromptingView(Inputs inputs);
  ui::Node editorCard();
  ui::Node bottomRow();
  ui::Node settingsButton();
  ui::Node cancelButton();

  Inputs inputs_;
  ui::State<ui::Color> hoverCloseBgColor_;
  ui::State<std::vector<Pipeline>> pipelines_;
  std::shared_ptr<platform::NotificationCenter> observedCenter_;
  std::optional<platform::NotificationCenter::ObserverToken> pipelineObserver_;
};

}  // namespace quellorin
