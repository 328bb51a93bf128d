// The update feed comes from the network. Any bytes give a version that is empty or a digit
// followed by digits and dots, taken from the feed itself; on short feeds the scan gives the
// greatest of what the feed's two forms, written as regular expressions, find; and the version
// order is strict.
#include "Quellorin/Shell/SoftwareUpdater.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

// The two forms as patterns. A backtracking matcher recurses per character, so it only serves
// as the reference on short feeds.
std::string referenceVersion(const std::string& feed) {
  static const std::regex element(R"(<(?:\w+:)?shortVersionString>\s*([0-9][0-9.]*)\s*<)");
  static const std::regex attribute(
      R"(<enclosure\b[^>]*\s(?:\w+:)?shortVersionString\s*=\s*"([0-9][0-9.]*)\")");
  std::string newest;
  for (const auto* pattern : {&element, &attribute}) {
    for (std::sregex_iterator match(feed.begin(), feed.end(), *pattern), end; match != end; ++match) {
      const std::string version = (*match)[1];
      if (newest.empty() || quellorin::FeedUpdater::isNewer(version, newest)) newest = version;
    }
  }
  return newest;
}

constexpr std::size_t kReferenceLimit = 512;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string feed(reinterpret_cast<const char*>(data), size);
  const std::string version = quellorin::FeedUpdater::newestVersion(feed);
  if (!version.empty()) {
    require(version.front() >= '0' && version.front() <= '9');
    require(version.find_first_not_of("0123456789.") == std::string::npos);
    require(feed.find(version) != std::string::npos);
  }
  if (size <= kReferenceLimit) require(version == referenceVersion(feed));

  // The order of versions: never newer than itself, never both ways.
  const std::string other = feed.substr(0, feed.find('\n'));
  using quellorin::FeedUpdater;
  require(!FeedUpdater::isNewer(version, version) && !FeedUpdater::isNewer(other, other));
  require(!(FeedUpdater::isNewer(version, other) && FeedUpdater::isNewer(other, version)));
  return 0;
}
