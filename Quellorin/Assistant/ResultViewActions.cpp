// The answer panel's actions: renaming, saving as a pipeline, copying, regenerating and the
// login alert.

#include <string>
#include <utility>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Desktop/Alert.h"
#include "Platform/Desktop/Workspace.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Quellorin/Assistant/DatabaseService.h"
#include "Quellorin/Assistant/ResultView.h"
#include "Quellorin/Common/ServiceAddress.h"
#include "Quellorin/Services/NotificationService.h"
#include "Quellorin/Services/TextHandlingService.h"

namespace quellorin {

namespace {

constexpr const char* kPipelineUpdated = "PipelineUpdated";
constexpr double kPipelineUpdatedDelay = 0.3;

void notifyUser(const std::shared_ptr<NotificationService>& notifications, const std::string& title,
                const std::string& body) {
  if (notifications) notifications->sendNotification(title, body);
}

}  // namespace

void ResultView::postPipelineUpdated() {
  platform::NotificationCenter::defaultCenter()->post(kPipelineUpdated);
}

void ResultView::commitPipelineName() {
  auto conversation = inputs_.conversation.get();
  inputs_.isPipelineNameEditing.set(false);
  if (!conversation || !conversation->pipelineId || !inputs_.store) return;
  // A conversation that has run other prompts than its pipeline's is no longer that
  // pipeline's run: its new name is its own.
  if (!inputs_.conversationIsPipelineRun.get()) return;
  if (inputs_.store->updatePipeline(*conversation->pipelineId, conversation->name)) postPipelineUpdated();
}

void ResultView::saveAsPipeline() {
  if (inputs_.isProcessing.get()) return;
  inputs_.isProcessing.set(true);
  const bool saved = inputs_.store && inputs_.store->createPipeline(inputs_.conversation.get());
  if (saved) {
    platform::MainQueue::main()->asyncAfter(kPipelineUpdatedDelay, [] { postPipelineUpdated(); });
    inputs_.pipelineEdited.set(false);
  } else {
    // The button stays, so the user can try again.
    notifyUser(inputs_.notifications, platform::localizedString("operationFailed"),
               platform::localizedString("savePipelineFailed"));
  }
  inputs_.isProcessing.set(false);
}

void ResultView::copyResult() {
  const bool copied =
      inputs_.textHandling && inputs_.textHandling->copyToPasteboard(inputs_.resultText.get());
  if (copied)
    notifyUser(inputs_.notifications, platform::localizedString("operationCompleted"),
               platform::localizedString("copiedClipboard"));
  else
    notifyUser(inputs_.notifications, platform::localizedString("operationFailed"),
               platform::localizedString("copyFailed"));
}

void ResultView::regenerate() {
  // Read at the press: signing in while the window is open counts.
  const auto token = platform::Environment::current()->userDefaults->string("SessionToken");
  if (!token) {
    showAlert(platform::localizedString("alertLoginTitle"), platform::localizedString("alertLoginMessage"),
              platform::localizedString("alertLoginbtn"), platform::localizedString("cancel"));
    return;
  }
  const auto conversation = inputs_.conversation.get();
  if (!conversation) return;
  const int current = inputs_.currentJobIndex.get();
  if (current < 0 || current >= static_cast<int>(conversation->jobs.size())) return;
  const auto& jobs = conversation->jobs;
  const std::string prompt = jobs[static_cast<std::size_t>(current)].prompt;
  const std::string text = jobs[static_cast<std::size_t>(current >= 1 ? current - 1 : 0)].result;
  inputs_.currentJobIndex.set(current >= 1 ? current - 1 : 0);
  platform::log("异步操作前的会话：" + std::to_string(conversation->id.value_or(-1)));
  platform::MainQueue::main()->async([commit = inputs_.handleCustomCommit, text, prompt] {
    if (commit) commit(text, prompt, "quality");
  });
}

void ResultView::showAlert(std::string title, std::string message, std::string buttonTitle,
                           std::string secondaryTitle) {
  alertTitle_.set(std::move(title));
  alertMessage_.set(std::move(message));
  alertButtonTitle_.set(std::move(buttonTitle));
  alertSecondaryButtonTitle_.set(std::move(secondaryTitle));
  if (*showAlert_) return;
  showAlert_.set(true);
  // Modal: run after the click that asked for it has returned.
  platform::MainQueue::main()->async(weakly(this, [](ResultView& self) { self.presentAlert(); }));
}

void ResultView::presentAlert() {
  const platform::Alert alert{platform::AlertStyle::informational,
                              *alertTitle_,
                              *alertMessage_,
                              {*alertButtonTitle_, *alertSecondaryButtonTitle_}};
  const auto answer = platform::Environment::current()->alertPresenter->runModal(alert);
  showAlert_.set(false);
  if (answer == 0) openAlertURL();
}

void ResultView::openAlertURL() {
  platform::Environment::current()->workspace->openURL(serviceBaseURL() + "/auth/login?callback=macos");
}

}  // namespace quellorin
