#include "Quellorin/Shell/SoftwareUpdater.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <regex>
#include <vector>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Desktop/Alert.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/TaskPool.h"
#include "Platform/Http/HttpClient.h"
#include "Quellorin/Shell/UpdaterDelegate.h"

namespace quellorin {

namespace {

std::vector<long> versionParts(const std::string& text) {
  std::vector<long> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find('.', start), text.size());
    parts.push_back(std::strtol(text.substr(start, end - start).c_str(), nullptr, 10));
    start = end + 1;
  }
  return parts;
}

}  // namespace

std::string FeedUpdater::newestVersion(const std::string& feed) {
  // Every item of the feed names its version, in whatever order the feed lists them.
  static const std::regex element(R"(<(?:\w+:)?shortVersionString>\s*([0-9][0-9.]*)\s*<)");
  static const std::regex attribute(
      R"(<enclosure\b[^>]*\s(?:\w+:)?shortVersionString\s*=\s*"([0-9][0-9.]*)\")");
  std::string newest;
  for (const auto* pattern : {&element, &attribute}) {
    for (std::sregex_iterator match(feed.begin(), feed.end(), *pattern), end; match != end; ++match) {
      const std::string version = (*match)[1];
      if (newest.empty() || isNewer(version, newest)) newest = version;
    }
  }
  return newest;
}

bool FeedUpdater::isNewer(const std::string& candidate, const std::string& installed) {
  auto a = versionParts(candidate);
  auto b = versionParts(installed);
  a.resize(std::max(a.size(), b.size()), 0);
  b.resize(a.size(), 0);
  return a > b;
}

std::shared_ptr<SoftwareUpdater> SoftwareUpdater::shared() {
  static const std::shared_ptr<SoftwareUpdater> updater = std::make_shared<FeedUpdater>();
  return updater;
}

void FeedUpdater::checkForUpdates() {
  auto environment = platform::Environment::current();
  const std::string installed =
      platform::Bundle::main()->infoDictionary().value("CFBundleShortVersionString", std::string("0"));
  platform::HttpRequest request;
  request.method = "GET";
  request.url = UpdaterDelegate().feedURLStringForUpdater();
  request.idleTimeout = std::chrono::seconds(30);
  environment->taskPool->async([environment, request, installed] {
    const auto result = environment->httpClient->send(request);
    platform::Alert alert{platform::AlertStyle::informational, "", "", {platform::localizedString("OK")}};
    if (result.error || !result.head || result.head->status != 200) {
      platform::log("[error] 无法读取更新源：" + request.url);
      alert.messageText = platform::localizedString("updateCheckFailed");
    } else if (const auto newest = newestVersion(result.body);
               !newest.empty() && isNewer(newest, installed)) {
      alert.messageText = platform::localizedString("updateAvailable");
      // Installing is the package manager's: the alert names the version and says where to get it.
      alert.informativeText = newest + "\n" + platform::localizedString("updateInstallHint");
    } else {
      alert.messageText = platform::localizedString("upToDate");
      alert.informativeText = installed;
    }
    environment->mainQueue->async([environment, alert] { environment->alertPresenter->runModal(alert); });
  });
}

}  // namespace quellorin
