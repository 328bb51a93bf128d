#include "Markdown/MarkdownView.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "Markdown/MarkdownErrors.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Platform/Desktop/Simulated/RecordingURLOpener.h"
#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "tests/support/TemporaryFolder.h"

namespace markdown {
namespace {

namespace fs = std::filesystem;
using platform::NavigationActionPolicy;

std::string readFile(const fs::path& path) {
  std::ifstream file(path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

class MarkdownViewIntegrationTest : public ::testing::Test {
 protected:
  // A template bundle whose page is `page`, with a style sheet beside it.
  std::shared_ptr<platform::Bundle> templateWith(const std::string& page) {
    fs::path folder = root / ("Template" + std::to_string(++templates) + ".bundle");
    fs::create_directories(folder);
    std::ofstream(folder / "index.html") << page;
    std::ofstream(folder / "style.css") << "body { color: black; }";
    return std::make_shared<platform::Bundle>(folder);
  }

  std::unique_ptr<MarkdownView> makeView(
      const std::string& markdown, bool openLinksExternally, MarkdownView::Completion completion,
      std::shared_ptr<platform::WebViewConfiguration> configuration = nullptr) {
    return std::make_unique<MarkdownView>(
        platform::Rect{0, 0, 400, 300}, markdown,
        MarkdownView::Settings{.openLinksExternally = openLinksExternally,
                               .templateBundle = templateWith("<body>MARKDOWN_HTML</body>"),
                               .writableBundle = true,
                               .configuration = std::move(configuration),
                               .didLoadSuccessfully = std::move(completion),
                               .urlOpener = opener});
  }

  fs::path loadedPage(const MarkdownView& view) { return view.host().fileLoads().back().file; }

  testsupport::TemporaryFolder temporary{"markdown-view-test-"};
  const fs::path root = temporary.path();
  int templates = 0;
  std::shared_ptr<platform::RecordingURLOpener> opener = std::make_shared<platform::RecordingURLOpener>();
};

TEST_F(MarkdownViewIntegrationTest, WritesThePageIntoACopyOfTheTemplateAndLoadsIt) {
  auto view = makeView("# Hi", false, nullptr);
  ASSERT_EQ(view->host().fileLoads().size(), 1U);
  fs::path page = loadedPage(*view);
  EXPECT_EQ(page.filename(), "index.html");
  EXPECT_EQ(view->host().fileLoads()[0].readAccess, page.parent_path());
  EXPECT_EQ(view->temporaryDirectoryURL(), page.parent_path());
  EXPECT_EQ(readFile(page), "<body><h1>Hi</h1>\n</body>");
  EXPECT_TRUE(fs::exists(page.parent_path() / "style.css"));
  EXPECT_EQ(readFile(view->baseURL()), "<body>MARKDOWN_HTML</body>")
      << "the template itself is never written";
}

TEST_F(MarkdownViewIntegrationTest, EveryPlaceholderIsFilledAndATemplateWithoutOneStaysAsItIs) {
  MarkdownView twice({}, "*a*",
                     {.templateBundle = templateWith("MARKDOWN_HTML|MARKDOWN_HTML"),
                      .writableBundle = true,
                      .urlOpener = opener});
  EXPECT_EQ(readFile(loadedPage(twice)), "<p><em>a</em></p>\n|<p><em>a</em></p>\n");
  MarkdownView none(
      {}, "*a*",
      {.templateBundle = templateWith("<p>fixed</p>"), .writableBundle = true, .urlOpener = opener});
  EXPECT_EQ(readFile(loadedPage(none)), "<p>fixed</p>");
}

TEST_F(MarkdownViewIntegrationTest, ClickedLinksOpenOutsideWhenAsked) {
  auto configuration = std::make_shared<platform::WebViewConfiguration>();
  configuration->setURLSchemeHandler(std::make_shared<platform::URLSchemeHandler>(), "app");
  auto view = makeView("[x](https://example.org)", true, nullptr, configuration);
  view->host().finishLoading();
  view->host().clickLink("https://example.org/");
  view->host().clickLink("app://inside/page");
  view->host().reload();
  const auto& navigations = view->host().navigations();
  ASSERT_EQ(navigations.size(), 4U);
  EXPECT_EQ(navigations[0].policy, NavigationActionPolicy::allow) << "the first load";
  EXPECT_EQ(navigations[1].policy, NavigationActionPolicy::cancel);
  EXPECT_EQ(navigations[2].policy, NavigationActionPolicy::allow) << "a scheme with a handler stays inside";
  EXPECT_EQ(navigations[3].policy, NavigationActionPolicy::allow);
  EXPECT_EQ(opener->opened(), std::vector<std::string>{"https://example.org/"});
}

TEST_F(MarkdownViewIntegrationTest, LinksStayInsideWhenNotOpenedOutsideEvenWithACompletion) {
  int loads = 0;
  auto view = makeView("text", false, [&loads] { ++loads; });
  EXPECT_TRUE(view->host().finishLoading());
  EXPECT_EQ(loads, 1);
  view->host().clickLink("https://example.org/");
  EXPECT_EQ(view->host().navigations().back().policy, NavigationActionPolicy::allow);
  EXPECT_TRUE(opener->opened().empty());
  EXPECT_TRUE(view->host().finishLoading());
  EXPECT_EQ(view->host().currentURL(), "https://example.org/");
  EXPECT_EQ(loads, 2);
}

TEST_F(MarkdownViewIntegrationTest, ACompletionGivenToALaterRenderingIsCalled) {
  auto view = makeView("first", false, nullptr);
  view->host().finishLoading();
  int loads = 0;
  view->rerender("second", std::nullopt, [&loads] { ++loads; });
  view->host().finishLoading();
  EXPECT_EQ(loads, 1);
}

TEST_F(MarkdownViewIntegrationTest, ReRenderingKeepsOptionsUnlessGivenAndReplacesTheCompletion) {
  int first = 0;
  int second = 0;
  MarkdownView view({}, "a\nb",
                    {.templateBundle = templateWith("MARKDOWN_HTML"),
                     .writableBundle = true,
                     .options = MarkdownOptions::hardBreaks,
                     .didLoadSuccessfully = [&first] { ++first; },
                     .urlOpener = opener});
  view.rerender("c\nd");
  EXPECT_EQ(readFile(loadedPage(view)), "<p>c<br />\nd</p>\n");
  view.rerender("c\nd", MarkdownOptions::default_, [&second] { ++second; });
  EXPECT_EQ(readFile(loadedPage(view)), "<p>c\nd</p>\n");
  view.host().finishLoading();
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 1);
}

TEST_F(MarkdownViewIntegrationTest, EachNewCopyRemovesThePreviousAndTheLastGoesAtTermination) {
  auto view = makeView("one", false, nullptr);
  fs::path firstCopy = *view->temporaryDirectoryURL();
  view->rerender("two");
  fs::path secondCopy = *view->temporaryDirectoryURL();
  EXPECT_NE(firstCopy, secondCopy);
  EXPECT_FALSE(fs::exists(firstCopy.parent_path()));
  EXPECT_TRUE(fs::exists(secondCopy));
  MarkdownView::applicationWillTerminate();
  EXPECT_FALSE(fs::exists(secondCopy.parent_path()));
}

TEST_F(MarkdownViewIntegrationTest, TheTerminationNotificationRemovesTheCopy) {
  platform::VirtualEnvironment environment;
  auto view = makeView("one", false, nullptr);
  fs::path copy = *view->temporaryDirectoryURL();
  platform::NotificationCenter::defaultCenter()->post(MarkdownView::applicationWillTerminateNotification);
  EXPECT_FALSE(fs::exists(copy.parent_path()));
  EXPECT_EQ(view->temporaryDirectoryURL(), copy) << "the view still names its last copy";
}

TEST_F(MarkdownViewIntegrationTest, TheViewMayGoWhileTheTerminationNoticeIsDelivered) {
  platform::VirtualEnvironment environment;
  auto center = platform::NotificationCenter::defaultCenter();
  std::unique_ptr<MarkdownView> view;
  // Registered before the view's own observer, so it runs first in the same delivery.
  center->addObserver(MarkdownView::applicationWillTerminateNotification,
                      platform::NotificationCenter::Delivery::postingThread,
                      [&view](const platform::Notification&) { view.reset(); });
  view = makeView("one", false, nullptr);
  const fs::path copy = *view->temporaryDirectoryURL();
  center->post(MarkdownView::applicationWillTerminateNotification);
  EXPECT_FALSE(view);
  EXPECT_FALSE(fs::exists(copy.parent_path()));
}

TEST_F(MarkdownViewIntegrationTest, DestroyingTheViewRemovesItsCopy) {
  fs::path copy;
  {
    auto view = makeView("one", false, nullptr);
    copy = *view->temporaryDirectoryURL();
    EXPECT_TRUE(fs::exists(copy));
  }
  EXPECT_FALSE(fs::exists(copy.parent_path()));
}

TEST_F(MarkdownViewIntegrationTest, AFailedReRenderingLeavesThePageBefore) {
  auto bundle = templateWith("MARKDOWN_HTML");
  MarkdownView view({}, "kept", {.templateBundle = bundle, .writableBundle = true, .urlOpener = opener});
  fs::path copy = *view.temporaryDirectoryURL();
  fs::remove(bundle->bundlePath() / "index.html");
  try {
    view.rerender("lost");
    FAIL() << "a template without its page must be refused";
  } catch (const MarkdownErrors& error) {
    EXPECT_EQ(error.code(), MarkdownErrors::nonStandardBundleFormatError);
  }
  EXPECT_EQ(view.host().fileLoads().size(), 1U);
  EXPECT_EQ(view.temporaryDirectoryURL(), copy);
  EXPECT_EQ(readFile(copy / "index.html"), "<p>kept</p>\n");
}

TEST_F(MarkdownViewIntegrationTest, TheLibrarysOwnTemplateIsFound) {
  MarkdownView view({}, "# Title",
                    {.openLinksExternally = true, .writableBundle = true, .urlOpener = opener});
  fs::path page = loadedPage(view);
  std::string html = readFile(page);
  EXPECT_NE(html.find("<h1>Title</h1>"), std::string::npos);
  EXPECT_EQ(html.find("MARKDOWN_HTML"), std::string::npos);
  EXPECT_TRUE(fs::exists(page.parent_path() / "style.css"));
}

}  // namespace
}  // namespace markdown
