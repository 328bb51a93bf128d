#include "Platform/Desktop/Linux/LinuxAlertPresenter.h"

#include <gtk/gtk.h>

#include <chrono>
#include <future>
#include <stdexcept>

#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Desktop/Linux/DesktopThread.h"

namespace platform {

namespace {

// The alert a dialog shows, kept on the dialog (the key below) so orderOut can find it.
constexpr const char* kAlertKey = "quellorin-alert";

GtkMessageType messageType(AlertStyle style) {
  switch (style) {
    case AlertStyle::informational:
      return GTK_MESSAGE_INFO;
    case AlertStyle::critical:
      return GTK_MESSAGE_ERROR;
    case AlertStyle::warning:
      break;
  }
  return GTK_MESSAGE_WARNING;
}

std::vector<std::string> buttonsOf(const Alert& alert) {
  return alert.buttons.empty() ? std::vector<std::string>{"OK"} : alert.buttons;
}

// Desktop thread. The dialog is hidden until shown; the caller destroys it.
GtkWidget* makeDialog(const Alert& alert) {
  GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, messageType(alert.style),
                                             GTK_BUTTONS_NONE, "%s", alert.messageText.c_str());
  if (!alert.informativeText.empty()) {
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", alert.informativeText.c_str());
  }
  const auto buttons = buttonsOf(alert);
  for (std::size_t index = 0; index < buttons.size(); ++index) {
    gtk_dialog_add_button(GTK_DIALOG(dialog), buttons[index].c_str(), static_cast<gint>(index));
  }
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), 0);
  gtk_window_set_title(GTK_WINDOW(dialog), "Quellorin");
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  g_object_set_data_full(G_OBJECT(dialog), kAlertKey, new Alert(alert),
                         [](gpointer data) { delete static_cast<Alert*>(data); });
  return dialog;
}

std::size_t answerFor(gint response, std::size_t buttonCount) {
  if (response >= 0 && static_cast<std::size_t>(response) < buttonCount)
    return static_cast<std::size_t>(response);
  return buttonCount - 1;
}

// The answer of a dialog shown without a nested loop; freed with the dialog.
struct PendingAnswer {
  std::promise<gint> response;
  bool answered = false;
};

// GTK calls it from C on the desktop thread.
void dialogAnswered(GtkDialog* dialog, gint response, gpointer data) {
  auto* pending = static_cast<PendingAnswer*>(data);
  try {
    if (pending->answered) return;
    pending->answered = true;
    pending->response.set_value(response);
  } catch (...) {
    log("alert: the answer could not be handed over");
  }
  gtk_widget_destroy(GTK_WIDGET(dialog));
}

// The installed environment's main queue when the calling thread runs it; null otherwise.
std::shared_ptr<MainQueue> mainQueueOfThisThread() {
  try {
    auto queue = Environment::current()->mainQueue;
    return queue && queue->isMainThread() ? queue : nullptr;
  } catch (const std::logic_error&) {
    return nullptr;  // no environment installed
  }
}

}  // namespace

LinuxAlertPresenter::LinuxAlertPresenter(std::shared_ptr<DesktopThread> desktopThread)
    : desktopThread_(std::move(desktopThread)) {}

// GTK runs on this thread, which also turns the main queue from a GLib source: a nested
// gtk_dialog_run would never dispatch that source again (GLib does not re-enter a source), so
// the queue's timers, its work from other threads and a stop would all wait for the user. The
// dialog's loop is ours instead: GTK's events and the queue's work take turns, and a stop of
// the queue answers the dialog as if closed.
std::size_t LinuxAlertPresenter::runModalHere(const Alert& alert, std::size_t buttonCount) {
  struct Answer {
    gint response = GTK_RESPONSE_DELETE_EVENT;
    bool given = false;
  } answer;
  GtkWidget* dialog = makeDialog(alert);
  // Called from C by GTK on this thread; it only stores two values and cannot throw.
  const gulong handler =
      g_signal_connect(dialog, "response", G_CALLBACK(+[](GtkDialog*, gint response, gpointer data) noexcept {
                         auto* given = static_cast<Answer*>(data);
                         given->response = response;
                         given->given = true;
                       }),
                       &answer);
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  gtk_widget_show_all(dialog);
  gtk_window_present(GTK_WINDOW(dialog));
  const auto queue = mainQueueOfThisThread();
  while (!answer.given) {
    bool busy = g_main_context_iteration(nullptr, FALSE) == TRUE;
    if (queue) {
      while (queue->runOneDue()) busy = true;
      if (queue->stopRequested()) {
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_DELETE_EVENT);
        break;
      }
      if (!busy) queue->waitForDueWork(std::chrono::milliseconds(10));
    } else if (!busy) {
      g_main_context_iteration(nullptr, TRUE);
    }
  }
  g_signal_handler_disconnect(dialog, handler);
  gtk_widget_destroy(dialog);
  return answerFor(answer.response, buttonCount);
}

std::size_t LinuxAlertPresenter::runModal(const Alert& alert) {
  const std::size_t buttonCount = buttonsOf(alert).size();
  if (desktopThread_->isCurrent()) return runModalHere(alert, buttonCount);
  auto* pending = new PendingAnswer();
  auto answer = pending->response.get_future();
  auto shown = std::make_shared<GtkWidget*>(nullptr);
  desktopThread_->post([alert, pending, shown] {
    GtkWidget* dialog = makeDialog(alert);
    *shown = dialog;
    g_object_set_data_full(G_OBJECT(dialog), "quellorin-pending", pending,
                           [](gpointer data) { delete static_cast<PendingAnswer*>(data); });
    g_signal_connect(dialog, "response", G_CALLBACK(dialogAnswered), pending);
    gtk_widget_show_all(dialog);
    gtk_window_present(GTK_WINDOW(dialog));
  });
  // While the dialog is up the main queue keeps turning, as it does under a toolkit's modal
  // loop (timers, work from other threads); when the queue is asked to stop, the dialog is
  // answered as if closed, so the application can end.
  const auto queue = mainQueueOfThisThread();
  while (answer.wait_for(std::chrono::milliseconds(queue ? 10 : 1000)) != std::future_status::ready) {
    if (!queue) continue;
    while (queue->runOneDue()) {
    }
    if (queue->stopRequested()) {
      desktopThread_->post([shown] {
        if (*shown != nullptr) gtk_dialog_response(GTK_DIALOG(*shown), GTK_RESPONSE_DELETE_EVENT);
      });
      break;
    }
  }
  return answerFor(answer.get(), buttonCount);
}

void LinuxAlertPresenter::orderOut(const Alert& alert) {
  desktopThread_->post([alert] {
    GList* windows = gtk_window_list_toplevels();
    for (GList* node = windows; node != nullptr; node = node->next) {
      auto* shown = static_cast<const Alert*>(g_object_get_data(G_OBJECT(node->data), kAlertKey));
      if (shown != nullptr && *shown == alert && GTK_IS_DIALOG(node->data)) {
        gtk_dialog_response(GTK_DIALOG(node->data), 0);
        break;
      }
    }
    g_list_free(windows);
  });
}

}  // namespace platform
