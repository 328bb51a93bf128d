#pragma once

#include <memory>
#include <string>

namespace quellorin {

// The one software updater of the application: the menus' "check for updates" goes through it.
class SoftwareUpdater {
 public:
  virtual ~SoftwareUpdater() = default;
  // Starts a check and returns at once; its outcome is shown to the user.
  virtual void checkForUpdates() = 0;
};

// Reads the update feed (UpdaterDelegate's address) on the task pool and compares the newest
// version it names (the first "shortVersionString" element, or such an attribute of an item's
// enclosure) with the bundle's "CFBundleShortVersionString", then shows an alert on the main
// queue: a newer version, up to date, or the feed could not be read.
class FeedUpdater : public SoftwareUpdater {
 public:
  void checkForUpdates() override;

  // The newest version a feed names; empty when it names none.
  static std::string newestVersion(const std::string& feed);
  // Whether dotted version `candidate` is later than `installed` (numeric parts compared in
  // order; a missing part counts as 0).
  static bool isNewer(const std::string& candidate, const std::string& installed);
};

}  // namespace quellorin
