#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Platform/Desktop/PageSurface.h"
#include "UI/PageBridge.h"

namespace ui {

class Host;

// Shows a host's tree in a real page surface, and brings the page's acts back to the host.
// There is one description of a view: the tree the host evaluates is rendered by renderHTML,
// once as a whole page, and after that only the nodes that changed are replaced, by id
// (diffPages), so focus, selection and scroll in the page stay put.
// - Keys reach the host first (keyAheadOfDisplay): what its monitors or shortcuts take never
//   reaches the page; the rest goes on to the page's focused field.
// - Clicks, hovers, typed text, focus, picker choices and measured heights come back as
//   messages by node id (parsePageMessage) and act on the host as its driver does.
// Holds the host weakly and the surface strongly; the surface's handlers hold the display
// weakly. Main thread only.
class HostDisplay : public std::enable_shared_from_this<HostDisplay> {
 public:
  struct Options {
    std::string title;
    // Nodes whose heights the page reports, besides the whole content.
    std::vector<std::string> measuredIds;
  };

  static std::shared_ptr<HostDisplay> make(const std::shared_ptr<Host>& host,
                                           std::shared_ptr<platform::PageSurface> surface, Options options);
  // Lets go of the surface's handlers and the host's render observer.
  ~HostDisplay();
  HostDisplay(const HostDisplay&) = delete;
  HostDisplay& operator=(const HostDisplay&) = delete;

  // Brings the page in step with the host's tree (the host calls it after each render).
  void refresh();
  // One message from the page.
  void receive(const std::string& json);
  // A key pressed in the window; answers whether the host took it.
  bool key(const platform::PageSurface::Key& key);

  // Whether the page has said it is ready; updates wait until it is.
  bool isReady() const { return ready_; }
  // How many update scripts went to the page.
  std::size_t updatesSent() const { return updatesSent_; }

 private:
  HostDisplay(const std::shared_ptr<Host>& host, std::shared_ptr<platform::PageSurface> surface,
              Options options);
  void showWholePage();

  std::weak_ptr<Host> host_;
  std::shared_ptr<platform::PageSurface> surface_;
  Options options_;
  PageSnapshot shown_;  // what the page shows (or will once loaded)
  bool ready_ = false;
  std::size_t updatesSent_ = 0;
};

}  // namespace ui
