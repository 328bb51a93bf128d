#include "Quellorin/Shell/SoftwareUpdater.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <string_view>
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

// The feed comes from the network and may be of any size, so it is read by one forward scan
// per form, never by a backtracking matcher (whose recursion grows with the text and ends in
// a stack overflow on a long run of tag text). Character classes are those of ASCII XML names.
constexpr std::string_view kVersionName = "shortVersionString";
constexpr std::string_view kEnclosureTag = "<enclosure";

bool isWordCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t skipSpace(std::string_view text, std::size_t at) {
  while (at < text.size() && isSpace(text[at])) ++at;
  return at;
}

// Past "shortVersionString" or "prefix:shortVersionString" at `at`; npos when neither is there.
std::size_t pastVersionName(std::string_view text, std::size_t at) {
  std::size_t wordEnd = at;
  while (wordEnd < text.size() && isWordCharacter(text[wordEnd])) ++wordEnd;
  if (wordEnd > at && wordEnd < text.size() && text[wordEnd] == ':') at = wordEnd + 1;
  if (text.substr(at, kVersionName.size()) != kVersionName) return std::string_view::npos;
  return at + kVersionName.size();
}

// The version at `at`: a digit, then digits and dots. Empty when no digit is there.
std::string_view versionAt(std::string_view text, std::size_t at) {
  if (at >= text.size() || !isDigit(text[at])) return {};
  std::size_t end = at + 1;
  while (end < text.size() && (isDigit(text[end]) || text[end] == '.')) ++end;
  return text.substr(at, end - at);
}

// Each <shortVersionString>VERSION< element (any namespace prefix, space around VERSION), in order.
void eachVersionElement(std::string_view text, const std::function<void(std::string_view)>& found) {
  for (std::size_t open = text.find('<'); open != std::string_view::npos; open = text.find('<', open + 1)) {
    std::size_t at = pastVersionName(text, open + 1);
    if (at == std::string_view::npos || at >= text.size() || text[at] != '>') continue;
    const std::string_view version = versionAt(text, skipSpace(text, at + 1));
    if (version.empty()) continue;
    const std::size_t close =
        skipSpace(text, static_cast<std::size_t>(version.data() - text.data()) + version.size());
    if (close < text.size() && text[close] == '<') found(version);
  }
}

// The version of a shortVersionString="VERSION" attribute that starts at `at`, if one does.
std::string_view versionAttributeAt(std::string_view text, std::size_t at) {
  at = pastVersionName(text, at);
  if (at == std::string_view::npos) return {};
  at = skipSpace(text, at);
  if (at >= text.size() || text[at] != '=') return {};
  at = skipSpace(text, at + 1);
  if (at >= text.size() || text[at] != '"') return {};
  const std::string_view version = versionAt(text, at + 1);
  const std::size_t close = at + 1 + version.size();
  if (version.empty() || close >= text.size() || text[close] != '"') return {};
  return version;
}

// The attribute of each <enclosure ...> tag that carries one, in order; of several on one tag,
// the last. The tag runs to its ">" or, unclosed, to the end of the text, and the next tag is
// looked for after it: an "<enclosure" inside a tag is part of that tag's text. That keeps the
// scan linear in the text.
void eachVersionAttribute(std::string_view text, const std::function<void(std::string_view)>& found) {
  std::size_t open = text.find(kEnclosureTag);
  while (open != std::string_view::npos) {
    const std::size_t nameEnd = open + kEnclosureTag.size();
    if (nameEnd < text.size() && isWordCharacter(text[nameEnd])) {
      open = text.find(kEnclosureTag, open + 1);
      continue;
    }
    const std::size_t tagEnd = std::min(text.find('>', nameEnd), text.size());
    for (std::size_t space = tagEnd; space-- > nameEnd;) {
      if (!isSpace(text[space])) continue;
      const std::string_view version = versionAttributeAt(text, space + 1);
      if (version.empty()) continue;
      found(version);
      break;
    }
    open = text.find(kEnclosureTag, tagEnd);
  }
}

}  // namespace

std::string FeedUpdater::newestVersion(const std::string& feed) {
  // Every item of the feed names its version, in whatever order the feed lists them: the
  // greatest counts (of equal ones, the first found).
  std::string newest;
  const auto consider = [&newest](std::string_view version) {
    if (newest.empty() || isNewer(std::string(version), newest)) newest = version;
  };
  eachVersionElement(feed, consider);
  eachVersionAttribute(feed, consider);
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
