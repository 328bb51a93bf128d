#include "Markdown/MarkdownView.h"

#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "Markdown/Markdown.h"
#include "Markdown/MarkdownErrors.h"
#include "Platform/Core/AtomicFile.h"
#include "Platform/Core/Environment.h"
#include "Platform/Desktop/XdgURLOpener.h"

namespace markdown {

namespace fs = std::filesystem;

namespace {

const std::string kPlaceholder = "MARKDOWN_HTML";

// Views alive, so that their copies can be removed when the application terminates.
struct LiveViews {
  std::mutex mutex;
  std::set<MarkdownView*> views;
};

LiveViews& liveViews() {
  static LiveViews* registry = [] {
    std::atexit([] { MarkdownView::applicationWillTerminate(); });
    return new LiveViews;  // lives to the very end of the process, past the exit handler
  }();
  return *registry;
}

std::string readText(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    throw fs::filesystem_error("cannot read the template page", path,
                               std::make_error_code(std::errc::io_error));
  }
  std::ostringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

void replaceAll(std::string& text, const std::string& placeholder, const std::string& replacement) {
  for (std::size_t at = text.find(placeholder); at != std::string::npos;
       at = text.find(placeholder, at + replacement.size())) {
    text.replace(at, placeholder.size(), replacement);
  }
}

// A new, empty folder of our own under the temporary folder.
fs::path makeReplacementDirectory() {
  std::string pattern = (fs::temp_directory_path() / "quellorin-markdown-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw fs::filesystem_error("cannot make a temporary folder", fs::path(pattern),
                               std::error_code(errno, std::generic_category()));
  }
  return pattern;
}

// The copy lives in "<replacement directory>/Markdown"; both go.
void removeCopy(const fs::path& copyFolder) {
  std::error_code ignored;
  fs::remove_all(copyFolder.parent_path(), ignored);
}

// The notification centre of the installed environment; none when no environment is installed
// (a tool without an application around it).
std::shared_ptr<platform::NotificationCenter> installedNotificationCenter() {
  try {
    return platform::NotificationCenter::defaultCenter();
  } catch (const std::logic_error&) {
    return nullptr;
  }
}

std::optional<std::string> schemeOf(const std::string& url) {
  std::size_t colon = url.find(':');
  if (colon == std::string::npos || colon == 0) {
    return std::nullopt;
  }
  return url.substr(0, colon);
}

}  // namespace

struct MarkdownView::CurrentCopy {
  // Makes `folder` the current copy and removes the one before.
  void replace(const fs::path& folder) {
    std::lock_guard lock(mutex);
    if (current && !removed) removeCopy(*current);
    current = folder;
    removed = false;
  }
  // Removes the current copy once; a later call, or one after the view is gone, does nothing.
  void remove() {
    std::lock_guard lock(mutex);
    if (current && !removed) removeCopy(*current);
    removed = true;
  }

  mutable std::mutex mutex;
  std::optional<fs::path> current;
  bool removed = false;
};

std::shared_ptr<platform::Bundle> MarkdownView::moduleResourceBundle() {
  static const std::shared_ptr<platform::Bundle> found = []() -> std::shared_ptr<platform::Bundle> {
    std::error_code error;
    std::vector<fs::path> folders{platform::Bundle::main()->bundlePath(),
                                  fs::read_symlink("/proc/self/exe", error).parent_path()};
    for (const fs::path& folder : folders) {
      fs::path candidate = folder / "Markdown_Markdown.bundle";
      if (!folder.empty() && fs::is_directory(candidate, error)) {
        return std::make_shared<platform::Bundle>(candidate);
      }
    }
    return nullptr;
  }();
  return found;
}

MarkdownView::MarkdownView(platform::Rect frame, std::string markdownString, Settings settings)
    : WebView(frame, std::move(settings.configuration)),
      bundle_(std::move(settings.templateBundle)),
      writableBundle_(settings.writableBundle),
      openLinksExternally_(settings.openLinksExternally),
      options_(settings.options),
      currentCopy_(std::make_shared<CurrentCopy>()),
      didLoadSuccessfully_(std::move(settings.didLoadSuccessfully)),
      urlOpener_(settings.urlOpener ? std::move(settings.urlOpener)
                                    : std::make_shared<platform::XdgURLOpener>()) {
  if (!bundle_) {
    std::shared_ptr<platform::Bundle> library = moduleResourceBundle();
    std::optional<fs::path> templateFolder = library ? library->path("MarkdownView", "bundle") : std::nullopt;
    if (!templateFolder) {
      throw MarkdownErrors(MarkdownErrors::nonStandardBundleFormatError);
    }
    bundle_ = std::make_shared<platform::Bundle>(*templateFolder);
  }
  setNavigationDelegate(this);
  render(markdownString);
  {
    std::lock_guard lock(liveViews().mutex);
    liveViews().views.insert(this);
  }
  notificationCenter_ = installedNotificationCenter();
  if (notificationCenter_) {
    terminationObserver_ = notificationCenter_->addObserver(
        applicationWillTerminateNotification, platform::NotificationCenter::Delivery::postingThread,
        [copy = currentCopy_](const platform::Notification&) { copy->remove(); });
  }
}

MarkdownView::~MarkdownView() {
  if (notificationCenter_) {
    notificationCenter_->removeObserver(terminationObserver_);
  }
  {
    std::lock_guard lock(liveViews().mutex);
    liveViews().views.erase(this);
  }
  clearTemporaryDirectory();
}

void MarkdownView::applicationWillTerminate() {
  std::lock_guard lock(liveViews().mutex);
  for (MarkdownView* view : liveViews().views) {
    view->clearTemporaryDirectory();
  }
}

fs::path MarkdownView::baseURL() const { return bundle_->bundlePath() / "index.html"; }

void MarkdownView::rerender(std::string markdownString, std::optional<MarkdownOptions> options,
                            Completion didLoadSuccessfully) {
  if (options) {
    options_ = *options;
  }
  if (didLoadSuccessfully) {
    didLoadSuccessfully_ = std::move(didLoadSuccessfully);
  }
  render(markdownString);
}

void MarkdownView::clearTemporaryDirectory() { currentCopy_->remove(); }

std::optional<fs::path> MarkdownView::temporaryDirectoryURL() const {
  std::lock_guard lock(currentCopy_->mutex);
  return currentCopy_->current;
}

void MarkdownView::render(const std::string& markdownString) {
  std::string html = Markdown(markdownString).toHTML(options_);
  std::error_code error;
  if (!fs::is_regular_file(baseURL(), error)) {
    throw MarkdownErrors(MarkdownErrors::nonStandardBundleFormatError);
  }
  std::string page = readText(baseURL());
  replaceAll(page, kPlaceholder, html);
  fs::path pageURL = makeWritableCopy(page);
  loadFileURL(pageURL, pageURL.parent_path());
}

fs::path MarkdownView::makeWritableCopy(const std::string& pageHTML) {
  fs::path resources = bundle_->bundlePath();
  std::error_code error;
  if (!fs::is_directory(resources, error)) {
    throw MarkdownErrors(MarkdownErrors::nonStandardBundleFormatError);
  }
  fs::path copyFolder = makeReplacementDirectory() / "Markdown";
  try {
    fs::copy(resources, copyFolder, fs::copy_options::recursive);
    fs::path pageURL = copyFolder / "index.html";
    platform::writeFileAtomically(pageURL, pageHTML, 0600);
    currentCopy_->replace(copyFolder);
    return pageURL;
  } catch (...) {
    removeCopy(copyFolder);
    throw;
  }
}

void MarkdownView::decidePolicyForNavigationAction(
    platform::WebView&, const platform::NavigationAction& action,
    const std::function<void(platform::NavigationActionPolicy)>& decide) {
  if (!action.url || action.navigationType != platform::NavigationType::linkActivated ||
      !openLinksExternally_) {
    decide(platform::NavigationActionPolicy::allow);
    return;
  }
  std::optional<std::string> scheme = schemeOf(*action.url);
  if (scheme && configuration().urlSchemeHandler(*scheme) != nullptr) {
    decide(platform::NavigationActionPolicy::allow);
    return;
  }
  decide(platform::NavigationActionPolicy::cancel);
  urlOpener_->openURL(*action.url);
}

void MarkdownView::decidePolicyForNavigationResponse(
    platform::WebView&, const platform::NavigationResponse&,
    const std::function<void(platform::NavigationResponsePolicy)>& decide) {
  decide(platform::NavigationResponsePolicy::allow);
}

void MarkdownView::didFinishNavigation(platform::WebView&) {
  if (didLoadSuccessfully_) {
    didLoadSuccessfully_();
  }
}

}  // namespace markdown
