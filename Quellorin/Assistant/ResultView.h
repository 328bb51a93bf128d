#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Quellorin/Assistant/AnswerHTML.h"
#include "Quellorin/Assistant/Conversation.h"
#include "Quellorin/Assistant/PromptingView.h"
#include "UI/View.h"

namespace quellorin {

class DatabaseService;
class DetachedWebView;
class NotificationService;
class TextHandlingService;

// The upper part of the assistant window: a header with the work mode's title (or the editable
// name of the conversation), the two buttons and the strip that step between the jobs, and the
// save button after a typed-prompt run; the shown job's answer as a page rendered from
// Markdown; a tips row with the copy and regenerate buttons. It runs no request: it moves the
// window's current job, renames, saves, copies, and hands regenerate back to the window.
//
// Threads: main queue only; every action runs there. The login alert is run on a later turn
// of the main queue, never inside a click.
//
// Ids a person acts on: "pipelineName", "pipelineNameField", "previousJob", "nextJob",
// "job-<index>" (the other jobs), "saveAsPipeline", "copyResult", "regenerate".
class ResultView final : public ui::View {
 public:
  // What the window hands in: bindings to its own state, the custom commit that regenerate
  // uses, and the services.
  struct Inputs {
    ui::Binding<std::string> resultText;
    ui::Binding<bool> isPipelineNameEditing;
    ui::Binding<std::optional<Conversation>> conversation;
    ui::Binding<int> currentJobIndex;
    ui::Binding<bool> pipelineEdited;
    ui::Binding<bool> isProcessing;
    ui::Binding<std::string> workMode;
    // Whether the conversation still is its pipeline's own run: no other prompt has been run
    // in it. Only then does a new name rename the stored pipeline.
    ui::Binding<bool> conversationIsPipelineRun;
    CustomCommit handleCustomCommit;
    // Told when the answer card took another height, so the window can be measured again.
    std::function<void()> onCardHeightChange;
    std::shared_ptr<DatabaseService> store;
    std::shared_ptr<TextHandlingService> textHandling;
    std::shared_ptr<NotificationService> notifications;
  };

  static constexpr double cardStartHeight = 42;
  static constexpr const char* cardId = "answerWebView";

  static std::shared_ptr<ResultView> make(Inputs inputs);

  ui::Node body() override;

  // A job's label: whole up to the limit, else its first characters and "...". The limit is 10
  // user-perceived characters when the text holds an ASCII character, 5 when it holds none.
  static std::string jobLabel(const std::string& text);
  // Which entry the strip shows at `index` of `count` jobs with `current` shown.
  enum class StripEntry { job, ellipsis, none };
  static StripEntry stripEntry(int index, int count, int current);

  void showPreviousJob();
  void showNextJob();
  void selectJob(int index);
  void commitPipelineName();

  // Actions of the three buttons.
  void saveAsPipeline();
  void copyResult();
  void regenerate();
  static void postPipelineUpdated();

  // The login alert: stores its texts and runs it on the next turn of the main queue; its
  // default button opens the service's login page.
  void showAlert(std::string title, std::string message, std::string buttonTitle, std::string secondaryTitle);
  void openAlertURL();
  bool isShowingAlert() const { return *showAlert_; }

  // The HTML the answer card shows; while the answer grows, only its new blocks are converted.
  const std::string& answerHTML();
  const std::shared_ptr<DetachedWebView>& card() const { return card_; }

 private:
  explicit ResultView(Inputs inputs);

  ui::Node header();
  ui::Node title();
  ui::Node pipelineName();
  ui::Node navigationButton(bool forward);
  ui::Node jobStrip();
  ui::Node saveButton();
  ui::Node tipsRow();
  ui::Node answerCard();
  void presentAlert();

  Inputs inputs_;
  ui::State<ui::Color> hoversaveBgColor_;
  ui::State<ui::Color> hoverleftBgColor_;
  ui::State<ui::Color> hoverrightBgColor_;
  ui::State<bool> showAlert_;
  ui::State<std::string> alertTitle_;
  ui::State<std::string> alertMessage_;
  ui::State<std::string> alertButtonTitle_;
  ui::State<std::string> alertSecondaryButtonTitle_;

  std::shared_ptr<DetachedWebView> card_;
  AnswerHTML answerHTML_;
};

}  // namespace quellorin
