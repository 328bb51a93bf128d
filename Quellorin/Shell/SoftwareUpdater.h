#pragma once

#include <memory>
#include <string>

namespace quellorin {

// The one software updater of the application: the menu's and the settings' "check for updates"
// go through it.
class SoftwareUpdater {
 public:
  virtual ~SoftwareUpdater() = default;
  // The application's updater (a FeedUpdater), made on first use and kept for the process.
  static std::shared_ptr<SoftwareUpdater> shared();
  // Starts a check and returns at once; its outcome is shown to the user.
  virtual void checkForUpdates() = 0;
};

// Reads the update feed (UpdaterDelegate's address) on the task pool and compares the newest
// version it names (the greatest of its "shortVersionString" elements and enclosure attributes)
// with the bundle's "CFBundleShortVersionString", then shows an alert on the main queue: a newer
// version (to be installed with the system's package manager), up to date, or the feed could not
// be read.
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
