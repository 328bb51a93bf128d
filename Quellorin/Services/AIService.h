#pragma once

#include "Platform/Desktop/Alert.h"
#include "Platform/Http/HttpCancellation.h"
#include "Platform/Http/HttpClient.h"
#include "Quellorin/Services/StreamEvent.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace platform {
struct Environment;
}

namespace quellorin {

// The one client of the writing service's text endpoint, "/api/processText". A request carries
// the conversation and the user's credentials; the answer streams back as events that reach
// the caller's callback one by one as they arrive. Failures reach the caller as one "error"
// event and, mostly, the user as one modal alert on the main queue.
//
// Every platform service (HTTP client, user defaults, main queue, notification centre, alert
// presenter, clock) comes from the platform::Environment installed at the time of the call.
class AIService {
 public:
  using Message = std::map<std::string, std::string>;
  using EventCallback = std::function<void(const StreamEvent&)>;

  // How long the service may stay silent (no byte at all) before a request counts as timed
  // out, and how many times a timed-out request is sent again.
  static constexpr std::chrono::milliseconds kDefaultIdleTimeout{std::chrono::seconds(120)};
  static constexpr int kResendLimit = 3;

  // The process-wide instance, made on first use and kept until the process ends.
  static std::shared_ptr<AIService> shared();

  explicit AIService(std::chrono::milliseconds idleTimeout = kDefaultIdleTimeout);

  // Sends the conversation and hands every event to `onEvent`, in order, on the calling
  // thread; returns when the answer has ended or its failure has been reported. Blocks: call
  // it from a task, never from the main thread. The error events of a request that timed out
  // for good or was cancelled, and every alert, are queued on the main queue instead and may
  // come after the return.
  //  - A timed-out request that has delivered no event yet is sent again, up to kResendLimit
  //    times; nothing else is resent, so no event is ever delivered twice.
  //  - `cancellation`, when given, lets the caller stop the request; that is reported once.
  void processText(const std::string& mode, bool spaceTrigger, const std::string& sessionId,
                   const std::vector<Message>& messages, EventCallback onEvent,
                   platform::HttpCancellation* cancellation = nullptr);

  // The request for `url` with `body` plus "response_mode" and a new "user" value, and the
  // credential header for `token` (empty: signed out). The reason when the body cannot be
  // encoded as JSON (text that is not UTF-8, for instance).
  std::variant<platform::HttpRequest, std::string> createRequest(const std::string& url, nlohmann::json body,
                                                                 const std::string& token) const;

 private:
  struct Call;
  struct Attempt;

  Attempt send(const platform::HttpRequest& request, Call& call) const;
  void handleAnswer(const Attempt& attempt, Call& call, bool firstAttempt) const;
  void handleRefusal(long status, const std::string& body, Call& call) const;
  void handleForbidden(const std::string& body) const;
  void handleUnauthorized() const;
  // Reports a transport failure once: an event and an alert. `alreadyLogged`: the failure's
  // line was printed when the resends began.
  void reportFailure(const platform::HttpError& error, Call& call, bool alreadyLogged = false) const;

  void showAlertOnMain(platform::Alert alert, std::function<void()> afterClose) const;
  void showRequestParsingAlert(const std::string& message) const;
  void showNetworkParsingAlert(const std::string& description) const;
  void showTokenExpirationAlert() const;
  void showMessageAlert(const std::string& text) const;

  const std::chrono::milliseconds idleTimeout_;
};

}  // namespace quellorin
