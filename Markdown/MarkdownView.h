#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Markdown/MarkdownOptions.h"
#include "Platform/Core/Bundle.h"
#include "Platform/Desktop/NavigationDelegate.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Platform/Desktop/URLOpener.h"
#include "Platform/Desktop/WebView.h"

namespace markdown {

// A web view that shows Markdown through a page template: the Markdown is rendered to HTML,
// put into the template's "index.html" in place of every "MARKDOWN_HTML", and the page is
// written into a copy of the template's folder under the temporary folder, so that the
// template's style sheets and scripts resolve beside it; the view then loads it from there.
//
// The view is its own navigation delegate: it reports every finished load to
// `didLoadSuccessfully` (when one is set), and, when `openLinksExternally` is set, sends clicked
// links to the URL opener instead of following them, except links whose scheme has a handler in
// the view's configuration. Without `openLinksExternally`, clicked links are followed in the view.
//
// Copies: each rendering makes a new copy and removes the one before; the last is removed when
// the view is destroyed or the application terminates (the notification
// `applicationWillTerminateNotification` on the installed environment's notification centre,
// or the process's exit). Main thread only.
class MarkdownView final : public platform::WebView, public platform::NavigationDelegate {
 public:
  using Completion = std::function<void()>;

  static inline const std::string applicationWillTerminateNotification =
      "NSApplicationWillTerminateNotification";

  // What a view is made with besides its frame and text, named at the call:
  // MarkdownView(frame, text, {.openLinksExternally = true, .urlOpener = opener}).
  struct Settings {
    bool openLinksExternally = false;
    // The page template; null means the library's own.
    std::shared_ptr<platform::Bundle> templateBundle = nullptr;
    bool writableBundle = false;
    std::shared_ptr<platform::WebViewConfiguration> configuration = nullptr;
    MarkdownOptions options = MarkdownOptions::default_;
    Completion didLoadSuccessfully = nullptr;
    // Where clicked links go when openLinksExternally is set; null means xdg-open.
    std::shared_ptr<platform::URLOpener> urlOpener = nullptr;
  };

  // Renders at once. Throws what rendering throws (see rerender); no view is made then.
  MarkdownView(platform::Rect frame, std::string markdownString, Settings settings);
  ~MarkdownView() override;

  // Renders `markdownString` again; given options and completion replace the stored ones.
  // Throws MarkdownErrors (rendering; nonStandardBundleFormatError when the template has no
  // resource folder or no "index.html") or std::filesystem::filesystem_error; the page loaded
  // before then stays.
  void rerender(std::string markdownString, std::optional<MarkdownOptions> options = std::nullopt,
                Completion didLoadSuccessfully = nullptr);

  // Removes the current copy; never fails.
  void clearTemporaryDirectory();
  // Removes the copies of every view alive; run when the application is about to terminate,
  // and at process exit.
  static void applicationWillTerminate();

  const platform::Bundle& bundle() const { return *bundle_; }
  bool writableBundle() const { return writableBundle_; }
  MarkdownOptions options() const { return options_; }
  bool opensLinksExternally() const { return openLinksExternally_; }
  // The template page, "index.html" of the bundle.
  std::filesystem::path baseURL() const;
  // The folder of the copy made by the latest rendering, once there is one.
  std::optional<std::filesystem::path> temporaryDirectoryURL() const;

  // The library's resource bundle ("Markdown_Markdown.bundle" in the application's resources or
  // beside the program), found once per process; null when there is none.
  static std::shared_ptr<platform::Bundle> moduleResourceBundle();

  void decidePolicyForNavigationAction(
      platform::WebView& webView, const platform::NavigationAction& action,
      const std::function<void(platform::NavigationActionPolicy)>& decisionHandler) override;
  void decidePolicyForNavigationResponse(
      platform::WebView& webView, const platform::NavigationResponse& response,
      const std::function<void(platform::NavigationResponsePolicy)>& decisionHandler) override;
  void didFinishNavigation(platform::WebView& webView) override;

 private:
  void render(const std::string& markdownString);
  std::filesystem::path makeWritableCopy(const std::string& pageHTML);

  std::shared_ptr<platform::Bundle> bundle_;
  bool writableBundle_;
  bool openLinksExternally_;
  MarkdownOptions options_;
  // The latest copy, shared with the termination observer: the observer owns what it uses,
  // since a delivery already under way on another thread may still call it after the view is
  // gone.
  struct CurrentCopy;
  const std::shared_ptr<CurrentCopy> currentCopy_;
  Completion didLoadSuccessfully_;
  std::shared_ptr<platform::URLOpener> urlOpener_;
  std::shared_ptr<platform::NotificationCenter> notificationCenter_;
  platform::NotificationCenter::ObserverToken terminationObserver_;
};

}  // namespace markdown
