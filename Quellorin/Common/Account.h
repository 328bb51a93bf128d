#pragma once

#include "Platform/Http/HttpClient.h"

#include <memory>
#include <string>
#include <vector>

namespace quellorin {

// The signed-in user's session and account values. The login page calls the application back
// with a session token; this class stores it, fetches the profile ("/api/getUser") and the
// usage information ("/api/getUserSubInfo"), and copies their answers into the user-defaults
// store, announcing each change with notifications. Every platform service comes from the
// installed platform::Environment at the moment it is needed.
//
// Threads: openURLs() runs on the main thread; fetchUserSubInfo() may be called from any
// thread and returns at once; the answers are handled on the task pool.
//
// Lifetime: made with std::make_shared; work it queues holds it weakly. An answer that arrives
// after the account is gone is dropped unread, and so is the end of the callback block.
class Account : public std::enable_shared_from_this<Account> {
 public:
  // The process-wide instance, made on first use and kept until the process ends.
  static std::shared_ptr<Account> shared();

  // The login callback: the URLs the desktop opens the application with. The first URL's
  // "token" starts the session; every URL with a non-empty token sends its profile request.
  // A callback is ignored for one second after one that carried a token.
  void openURLs(const std::vector<std::string>& urls);

  // Starts the usage request; its answer is stored by handleUserSubInfoResponse().
  void fetchUserSubInfo();

  // Store a profile or usage answer. Only a 200 answer whose body is a suitable JSON object
  // changes stored values; failures are logged, and a lost connection or unreadable JSON
  // shows an alert.
  void handleGetUserResponse(const platform::HttpDataResult& result);
  void handleUserSubInfoResponse(const platform::HttpDataResult& result);

 private:
  void requestProfile(const std::string& token);
  // The common checks of both answers; false when the answer is to be dropped.
  bool answerIsUsable(const platform::HttpDataResult& result);
  void showNetworkLostAlert();
  void showJSONErrorAlert();

  bool loginCallbackHandled_ = false;  // main thread only
};

// Refreshes the usage counts: Account::shared()->fetchUserSubInfo(). Any thread.
void fetchUserSubInfo();

}  // namespace quellorin
