#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "Platform/Desktop/PageSurface.h"
#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "UI/Host.h"
#include "UI/HostDisplay.h"
#include "UI/PageBridge.h"

namespace {

using ui::PageMessage;
using ui::PageUpdate;

struct MessageCase {
  const char* json;
  std::optional<PageMessage::Kind> kind;  // none: refused
  std::string id;
  std::string value;
  double height = 0;
  bool inside = false;
};

MessageCase accepted(const char* json, PageMessage::Kind kind, std::string id = "", std::string value = "",
                     double height = 0, bool inside = false) {
  return {json, kind, std::move(id), std::move(value), height, inside};
}
MessageCase refused(const char* json) { return {json, std::nullopt, "", "", 0, false}; }

class PageMessages : public ::testing::TestWithParam<MessageCase> {};

TEST_P(PageMessages, ReadOnlyWellFormedMessages) {
  const auto& c = GetParam();
  const auto message = ui::parsePageMessage(c.json);
  ASSERT_EQ(message.has_value(), c.kind.has_value()) << c.json;
  if (!message) return;
  EXPECT_EQ(message->kind, *c.kind);
  EXPECT_EQ(message->id, c.id);
  EXPECT_EQ(message->value, c.value);
  EXPECT_EQ(message->height, c.height);
  EXPECT_EQ(message->inside, c.inside);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PageMessages,
    ::testing::Values(
        accepted(R"({"type":"ready"})", PageMessage::Kind::ready),
        accepted(R"({"type":"click","id":"send"})", PageMessage::Kind::click, "send"),
        accepted(R"({"type":"click","id":"tabs/general"})", PageMessage::Kind::click, "tabs/general"),
        accepted(R"({"type":"hover","id":"row","inside":true})", PageMessage::Kind::hover, "row", "", 0,
                 true),
        accepted(R"({"type":"input","id":"prompt","value":"你好\n"})", PageMessage::Kind::input, "prompt",
                 "你好\n"),
        accepted(R"({"type":"input","id":"prompt","value":""})", PageMessage::Kind::input, "prompt", ""),
        accepted(R"({"type":"focus","id":""})", PageMessage::Kind::focus, ""),
        accepted(R"({"type":"select","id":"language","value":"fr"})", PageMessage::Kind::select, "language",
                 "fr"),
        accepted(R"({"type":"height","id":"","height":130.5})", PageMessage::Kind::height, "", "", 130.5),
        accepted(R"({"type":"height","id":"answerPanel","height":0})", PageMessage::Kind::height,
                 "answerPanel"),
        // Refused: not JSON, not an object, unknown or missing type, fields missing or mistyped.
        refused("not json"), refused("[1,2]"), refused(R"({"type":"explode","id":"x"})"),
        refused(R"({"id":"x"})"), refused(R"({"type":"click"})"), refused(R"({"type":"click","id":""})"),
        refused(R"({"type":"click","id":7})"), refused(R"({"type":"hover","id":"row"})"),
        refused(R"({"type":"input","id":"prompt","value":3})"),
        refused(R"({"type":"height","id":"","height":-1})"),
        refused(R"({"type":"height","id":"","height":"12"})")));

// A small window: a title, a list of rows, an editor, a toggle and a button.
class FormView : public ui::View {
 public:
  ui::State<std::string> title{*this, "Title"};
  ui::State<std::vector<std::string>> rows{*this, {"one", "two"}};
  ui::State<std::string> text{*this, "draft"};
  ui::State<bool> on{*this, false};
  ui::State<std::string> rootId{*this, "form"};
  int sent = 0;

  ui::Node body() override {
    std::vector<ui::Node> items;
    for (const auto& row : *rows) items.push_back(ui::Text(row).id("row-" + row));
    return ui::VStack({ui::Text(*title).id("title"), ui::VStack(items).id("rows"),
                       ui::TextEditor("editor", text.binding()), ui::Toggle("switch", "On", on.binding()),
                       ui::Button("send", "Send", weakly(this, [](FormView& self) { ++self.sent; }))})
        .id(*rootId);
  }
};

class PageDiff : public ::testing::Test {
 protected:
  ui::PageSnapshot snapshot() {
    host->render();
    return ui::snapshotPage(host->tree());
  }

  platform::VirtualEnvironment environment;
  std::shared_ptr<FormView> view = std::make_shared<FormView>();
  std::shared_ptr<ui::Host> host = ui::Host::make(view);
};

TEST_F(PageDiff, ReplacesOnlyWhatChanged) {
  struct Case {
    const char* name;
    std::function<void(FormView&)> change;
    std::vector<std::pair<PageUpdate::Kind, std::string>> expected;  // kind and id
  };
  const std::vector<Case> cases = {
      {"nothing", [](FormView&) {}, {}},
      {"one text", [](FormView& v) { v.title.set("Other"); }, {{PageUpdate::Kind::replace, "title"}}},
      {"a row more: the list, not the window",
       [](FormView& v) {
         v.rows.set({"one", "two", "three"});
       },
       {{PageUpdate::Kind::replace, "rows"}}},
      {"an editor's text: its value, the caret stays",
       [](FormView& v) { v.text.set("draft, longer"); },
       {{PageUpdate::Kind::value, "editor"}}},
      {"a toggle", [](FormView& v) { v.on.set(true); }, {{PageUpdate::Kind::replace, "switch"}}},
      {"two places at once",
       [](FormView& v) {
         v.title.set("Again");
         v.text.set("<b>&</b>");
       },
       {{PageUpdate::Kind::replace, "title"}, {PageUpdate::Kind::value, "editor"}}},
  };
  for (const auto& c : cases) {
    const auto before = snapshot();
    c.change(*view);
    const auto after = snapshot();
    const auto updates = ui::diffPages(before, after);
    ASSERT_TRUE(updates) << c.name;
    std::vector<std::pair<PageUpdate::Kind, std::string>> got;
    for (const auto& update : *updates) {
      got.emplace_back(update.kind, update.id);
      if (update.kind == PageUpdate::Kind::replace) {
        EXPECT_EQ(update.text, after.nodes.at(update.id).html) << c.name;
      }
    }
    EXPECT_EQ(got, c.expected) << c.name;
  }
  const auto last = snapshot();
  EXPECT_EQ(ui::diffPages(last, last)->size(), 0u);
  EXPECT_EQ(last.nodes.at("editor").value, "<b>&</b>");
}

TEST_F(PageDiff, ANewIdReplacesTheNodeAndAnotherRootTheWholePage) {
  const auto before = snapshot();
  view->rootId.set("other");
  const auto after = snapshot();
  const auto updates = ui::diffPages(before, after);
  ASSERT_TRUE(updates);
  ASSERT_EQ(updates->size(), 1u);
  EXPECT_EQ((*updates)[0].id, after.rootId) << "the parent of the renamed node";
  auto elsewhere = after;
  elsewhere.rootId = "elsewhere";
  EXPECT_FALSE(ui::diffPages(before, elsewhere));
}

TEST_F(PageDiff, TheUpdateScriptCarriesTheIdsThePageReports) {
  const auto now = snapshot();
  EXPECT_NE(std::find(now.clickable.begin(), now.clickable.end(), "send"), now.clickable.end());
  EXPECT_NE(std::find(now.clickable.begin(), now.clickable.end(), "switch"), now.clickable.end());
  EXPECT_EQ(std::find(now.clickable.begin(), now.clickable.end(), "title"), now.clickable.end());
  const std::string script = ui::pageUpdateScript({{PageUpdate::Kind::value, "editor", "é\u2028\""}}, now);
  // ASCII only, with quotes escaped: no text breaks the script.
  for (const char c : script) EXPECT_LT(static_cast<unsigned char>(c), 0x80);
  EXPECT_NE(script.find("\\u00e9\\u2028\\\""), std::string::npos);
}

// A surface that records what the display asks of it and lets the test act as the page.
class RecordingSurface final : public platform::PageSurface {
 public:
  void showPage(const std::string& html) override { pages.push_back(html); }
  void runScript(const std::string& script) override { scripts.push_back(script); }
  void setKeyHandler(KeyHandler handler) override { keyHandler = std::move(handler); }
  void setMessageHandler(MessageHandler handler) override { messageHandler = std::move(handler); }

  std::vector<std::string> pages, scripts;
  KeyHandler keyHandler;
  MessageHandler messageHandler;
};

class Display : public PageDiff {
 protected:
  std::shared_ptr<RecordingSurface> surface = std::make_shared<RecordingSurface>();
  std::shared_ptr<ui::HostDisplay> display =
      ui::HostDisplay::make(host, surface, {.title = "Form", .measuredIds = {}});

  void post(const std::string& json) {
    surface->messageHandler(json);
    environment.advance(0);
  }
  bool press(ui::KeyEvent key) {
    return surface->keyHandler(
        {key.keyCode, key.characters, key.charactersIgnoringModifiers, key.modifierFlags});
  }
};

TEST_F(Display, ShowsOnePageThenUpdatesByIdOnceThePageIsReady) {
  ASSERT_EQ(surface->pages.size(), 1u);
  EXPECT_NE(surface->pages[0].find("id=\"title\""), std::string::npos);
  EXPECT_NE(surface->pages[0].find("quellorinView"), std::string::npos) << "the bridge script is in the page";
  view->title.set("Loading");
  environment.advance(0);
  EXPECT_TRUE(surface->scripts.empty()) << "nothing reaches a page still loading";

  post(R"({"type":"ready"})");
  ASSERT_EQ(surface->scripts.size(), 1u);
  EXPECT_NE(surface->scripts[0].find("Loading"), std::string::npos) << "what changed while it loaded";
  view->title.set("Ready");
  environment.advance(0);
  ASSERT_EQ(surface->scripts.size(), 2u);
  EXPECT_NE(surface->scripts[1].find("\"id\":\"title\""), std::string::npos);
  EXPECT_EQ(surface->scripts[1].find("row-one"), std::string::npos);
  EXPECT_EQ(surface->pages.size(), 1u);
}

TEST_F(Display, ThePageActsOnTheHostByNodeId) {
  post(R"({"type":"ready"})");
  post(R"({"type":"click","id":"send"})");
  EXPECT_EQ(view->sent, 1);
  post(R"({"type":"click","id":"switch"})");
  EXPECT_TRUE(*view->on);
  post(R"({"type":"focus","id":"editor"})");
  EXPECT_EQ(host->focusedId(), "editor");
  const auto scriptsBefore = surface->scripts.size();
  post(R"({"type":"input","id":"editor","value":"typed in the page"})");
  EXPECT_EQ(*view->text, "typed in the page");
  ASSERT_EQ(surface->scripts.size(), scriptsBefore + 1);
  EXPECT_EQ(surface->scripts.back().find("\"html\""), std::string::npos)
      << "the editor the person types in is never replaced";
  post(R"({"type":"height","id":"","height":212})");
  EXPECT_EQ(host->displayedHeight(""), 212);
  post(R"({"type":"click","id":"nowhere"})");
  post("garbage");
  EXPECT_EQ(view->sent, 1);
}

TEST_F(Display, KeysTheHostTakesNeverReachThePage) {
  int escapes = 0;
  host->addLocalKeyMonitor([&](const ui::KeyEvent& key) -> std::optional<ui::KeyEvent> {
    if (key.keyCode == ui::keycode::escape) {
      ++escapes;
      return std::nullopt;
    }
    return key;
  });
  EXPECT_TRUE(press(ui::KeyEvent::code(ui::keycode::escape)));
  EXPECT_EQ(escapes, 1);
  host->focus("editor");
  EXPECT_FALSE(press(ui::KeyEvent::character("a"))) << "typing is the page's editor's";
  EXPECT_EQ(*view->text, "draft") << "and the host does not type it a second time";
}

}  // namespace
