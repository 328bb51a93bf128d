#include "Quellorin/Assistant/ResultView.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Unicode.h"
#include "Quellorin/Assistant/DetachedWebView.h"
#include "Quellorin/Services/TextHandlingService.h"

namespace quellorin {

namespace {

constexpr std::size_t kLimitWithASCII = 10;
constexpr std::size_t kLimitWithoutASCII = 5;
constexpr int kWholeStripBelow = 6;

bool holdsASCII(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// As wide as offered.
ui::Frame fullWidth(ui::Alignment alignment = ui::Alignment::center) {
  ui::Frame frame;
  frame.maxWidth = ui::infinity;
  frame.alignment = alignment;
  return frame;
}

}  // namespace

std::shared_ptr<ResultView> ResultView::make(Inputs inputs) {
  std::shared_ptr<ResultView> view(new ResultView(std::move(inputs)));
  view->card_ = std::make_shared<DetachedWebView>(
      "", cardStartHeight,
      DetachedWebView::Options{.id = cardId,
                               .onHeightChange = [changed = view->inputs_.onCardHeightChange](double) {
                                 if (changed) changed();
                               }});
  return view;
}

ResultView::ResultView(Inputs inputs)
    : inputs_(std::move(inputs)),
      hoversaveBgColor_(*this, ui::Color::hex("#6B39F4")),
      hoverleftBgColor_(*this, ui::Color::named("contentBgColor")),
      hoverrightBgColor_(*this, ui::Color::named("contentBgColor")),
      showAlert_(*this, false),
      alertTitle_(*this, ""),
      alertMessage_(*this, ""),
      alertButtonTitle_(*this, ""),
      alertSecondaryButtonTitle_(*this, "") {}

std::string ResultView::jobLabel(const std::string& text) {
  const std::size_t limit = holdsASCII(text) ? kLimitWithASCII : kLimitWithoutASCII;
  if (platform::unicode::characterCount(text) <= limit) return text;
  return std::string(platform::unicode::prefix(text, limit)) + "...";
}

ResultView::StripEntry ResultView::stripEntry(int index, int count, int current) {
  if (count < kWholeStripBelow) return StripEntry::job;
  if (index == 0 || index == count - 1) return StripEntry::job;
  if (index >= current - 1 && index <= current + 1) return StripEntry::job;
  if (index == current - 2 || index == current + 2) return StripEntry::ellipsis;
  return StripEntry::none;
}

const std::string& ResultView::answerHTML() { return answerHTML_.convert(inputs_.resultText.get()); }

ui::Node ResultView::body() {
  const auto conversation = inputs_.conversation.get();
  if (!conversation || conversation->jobs.empty()) return ui::Empty().id("resultPanel");
  ui::Node panel = ui::VStack({header(), answerCard(), tipsRow()});
  panel.frame(fullWidth())
      .background(ui::Color::named("promptingBgColor"))
      .padding(ui::EdgeInsets{.top = 10, .leading = 10, .bottom = 0, .trailing = 10})
      .id("resultPanel");
  return panel;
}

ui::Node ResultView::header() {
  std::vector<ui::Node> items;
  items.push_back(title());
  items.push_back(ui::HStack({navigationButton(false), navigationButton(true)}, ui::Alignment::center, 0));
  items.push_back(ui::VStack({jobStrip()}));
  items.push_back(ui::Spacer());
  items.push_back(saveButton());
  ui::Node row = ui::HStack(std::move(items));
  row.background(ui::Color::named("promptingBgColor")).padding(6).id("resultHeader");
  return row;
}

ui::Node ResultView::title() {
  const std::string mode = inputs_.workMode.get();
  std::vector<ui::Node> items;
  if (mode == "pipeline") items.push_back(ui::Symbol("wand.and.stars").id("modeIcon"));
  if (mode == "custom") items.push_back(ui::Symbol("rectangle.stack").id("modeIcon"));
  if (mode == "free-ask") items.push_back(ui::Symbol("book").id("modeIcon"));
  items.push_back(mode == "free-ask" ? ui::Text(platform::localizedString("free-ask")).id("modeTitle")
                                     : pipelineName());
  return ui::HStack(std::move(items));
}

ui::Node ResultView::pipelineName() {
  const auto conversation = inputs_.conversation.get();
  const bool editing = inputs_.isPipelineNameEditing.get();
  ui::Node name = ui::Text(conversation ? conversation->name : "unknown");
  name.opacity(editing ? 0 : 1).hoverCursor(ui::Cursor::pointingHand).id("pipelineName");
  name.onTap([editing = inputs_.isPipelineNameEditing] { editing.set(true); });
  std::vector<ui::Node> layers{std::move(name)};
  if (editing) {
    auto conversationBinding = inputs_.conversation;
    ui::Binding<std::string> text(
        [conversationBinding] {
          const auto current = conversationBinding.get();
          return current ? current->name : std::string();
        },
        [conversationBinding](std::string value) {
          auto current = conversationBinding.get();
          if (!current) return;
          current->name = std::move(value);
          conversationBinding.set(std::move(current));
        });
    ui::Node field = ui::TextField("pipelineNameField", "", std::move(text));
    field.frame(50, std::nullopt).background(ui::Color::clear());
    field.onSubmit(weakly(this, [](ResultView& self) { self.commitPipelineName(); }));
    field.onDisappear([editing = inputs_.isPipelineNameEditing] { editing.set(false); });
    ui::Node underline = ui::Empty().frame(50, 1).background(ui::Color::primary());
    underline.padding(ui::EdgeInsets{.top = 28});
    layers.push_back(ui::ZStack({std::move(field), std::move(underline)}, ui::Alignment::top));
  }
  return ui::ZStack(std::move(layers));
}

ui::Node ResultView::navigationButton(bool forward) {
  const auto conversation = inputs_.conversation.get();
  const int count = conversation ? static_cast<int>(conversation->jobs.size()) : 0;
  const int current = inputs_.currentJobIndex.get();
  const bool processing = inputs_.isProcessing.get();
  const bool inactive = processing || (forward ? current >= count - 1 : current < 1);
  auto color = forward ? hoverrightBgColor_ : hoverleftBgColor_;

  ui::Node chevron = ui::Symbol(forward ? "chevron.right" : "chevron.left");
  chevron.frame(16, 16)
      .foreground(inactive ? ui::Color::gray() : ui::Color::primary())
      .padding(ui::EdgeInsets{7, 6, 7, 6});
  ui::Node button = ui::Button(forward ? "nextJob" : "previousJob", std::move(chevron),
                               weakly(this, [forward](ResultView& self) {
                                 if (forward)
                                   self.showNextJob();
                                 else
                                   self.showPreviousJob();
                               }));
  button.disabled(inactive)
      .keyboardShortcut(
          ui::KeyboardShortcut::code(forward ? ui::keycode::rightArrow : ui::keycode::leftArrow))
      .background(*color)
      .cornerRadius(6)
      .stroke(ui::Color::gray().opacity(0.5), 1, 6)
      .hoverCursor(ui::Cursor::pointingHand);
  button.onHover(
      [color](bool inside) { color.set(ui::Color::named(inside ? "hoverBgColor" : "contentBgColor")); });
  return button;
}

ui::Node ResultView::jobStrip() {
  const auto conversation = inputs_.conversation.get();
  const int count = static_cast<int>(conversation->jobs.size());
  const int current = inputs_.currentJobIndex.get();
  const bool processing = inputs_.isProcessing.get();
  const bool whole = count < kWholeStripBelow;
  std::vector<ui::Node> items;
  for (int index = 0; index < count; ++index) {
    const auto entry = stripEntry(index, count, current);
    if (entry == StripEntry::none) continue;
    if (entry == StripEntry::ellipsis) {
      items.push_back(ui::Text(platform::localizedString("...")).id("job-ellipsis-" + std::to_string(index)));
      continue;
    }
    const std::string prompt =
        platform::localizedString(conversation->jobs[static_cast<std::size_t>(index)].prompt);
    const std::string label = jobLabel(prompt);
    const std::string id = "job-" + std::to_string(index);
    if (index == current) {
      // Drawn bold by the font, not by Markdown: whatever the label holds shows as it is.
      items.push_back(ui::Text(label).font(ui::Font::system(13, true)).lineLimit(1).tooltip(prompt).id(id));
    } else {
      ui::Node button =
          ui::Button(id, ui::Text(label).foreground(ui::Color::named("fontColor").opacity(0.6)).lineLimit(1),
                     weakly(this, [index](ResultView& self) { self.selectJob(index); }));
      button.disabled(processing).tooltip(prompt).hoverCursor(ui::Cursor::pointingHand);
      items.push_back(std::move(button));
    }
    if (index != count - 1) {
      items.push_back(
          ui::Symbol("chevron.right")
              .foreground(whole ? ui::Color::named("borderColor").opacity(0.6) : ui::Color::primary()));
    }
  }
  ui::Node strip = ui::HStack(std::move(items));
  strip.padding(ui::EdgeInsets{6, 10, 6, 10})
      .background(ui::Color::named("jobPromptsColor"))
      .stroke(ui::Color::named("jobBorderColor").opacity(0.7), 1, 4)
      .id("jobStrip");
  return strip;
}

ui::Node ResultView::saveButton() {
  if (inputs_.workMode.get() != "custom" || !inputs_.pipelineEdited.get()) return ui::Empty().id("saveSlot");
  const bool processing = inputs_.isProcessing.get();
  ui::Node label =
      ui::HStack({ui::Symbol("tray.and.arrow.down")
                      .frame(14, 14)
                      .foreground(ui::Color::white())
                      .padding(ui::EdgeInsets{.top = 5, .leading = 10, .bottom = 5, .trailing = 0}),
                  ui::Text(platform::localizedString(processing ? "loading" : "save"))
                      .foreground(ui::Color::white())
                      .padding(ui::EdgeInsets{.top = 5, .leading = 0, .bottom = 5, .trailing = 10})});
  ui::Node button = ui::Button("saveAsPipeline", std::move(label),
                               weakly(this, [](ResultView& self) { self.saveAsPipeline(); }));
  button.disabled(processing)
      .background(*hoversaveBgColor_)
      .tooltip(platform::localizedString("save"))
      .cornerRadius(6)
      .stroke(ui::Color::white().opacity(0.4), 0.5, 6)
      .hoverCursor(ui::Cursor::pointingHand);
  button.onHover([color = hoversaveBgColor_](bool inside) {
    color.set(ui::Color::hex("#6B39F4").opacity(inside ? 0.8 : 1));
  });
  return button;
}

ui::Node ResultView::tipsRow() {
  const bool processing = inputs_.isProcessing.get();
  ui::Node copy =
      ui::Button("copyResult", ui::Symbol("doc.on.doc").frame(14, 14).foreground(ui::Color::primary()),
                 weakly(this, [](ResultView& self) { self.copyResult(); }));
  copy.disabled(processing)
      .tooltip(platform::localizedString("copyToClipboard"))
      .keyboardShortcut(ui::KeyboardShortcut::character("c", ui::modifier::command | ui::modifier::shift))
      .padding(ui::EdgeInsets{6, 0, 5, 0})
      .hoverCursor(ui::Cursor::pointingHand);
  ui::Node again =
      ui::Button("regenerate", ui::Symbol("arrow.clockwise").frame(14, 14).foreground(ui::Color::primary()),
                 weakly(this, [](ResultView& self) { self.regenerate(); }));
  again.disabled(processing)
      .tooltip(platform::localizedString("regenerate"))
      .keyboardShortcut(ui::KeyboardShortcut::character("r"))
      .padding(ui::EdgeInsets{6, 2, 5, 5})
      .hoverCursor(ui::Cursor::pointingHand);

  // On the first job of a run over a text the group is out of sight; it keeps its place, and
  // hidden also keeps its shortcuts from acting on a job the user cannot see the buttons of.
  const bool shown = inputs_.currentJobIndex.get() >= 1 || inputs_.workMode.get() == "free-ask";
  ui::Node group = ui::HStack({std::move(copy), std::move(again)});
  group.opacity(shown ? 1 : 0).hidden(!shown).id("resultActions");

  ui::Node row = ui::HStack(
      {ui::Symbol("exclamationmark.triangle").padding(ui::EdgeInsets{.leading = 4}),
       ui::Text(platform::localizedString("tips")).font(ui::Font::footnote()).foreground(ui::Color::gray()),
       ui::Spacer(), std::move(group)});
  row.padding(4)
      .frame(fullWidth(ui::Alignment::leading))
      .background(ui::Color::named("tipsBgColor"))
      .id("tipsRow");
  ui::Node withLine = ui::VStack(
      {std::move(row), ui::Empty().frame(std::nullopt, 1).background(ui::Color::named("shadowColor"))},
      ui::Alignment::center, 0);
  withLine.frame(fullWidth());
  return withLine;
}

ui::Node ResultView::answerCard() {
  card_->setHTMLContent(answerHTML());
  return ui::Embed(card_).id("answerCard").frame(fullWidth());
}

void ResultView::showPreviousJob() {
  const int current = inputs_.currentJobIndex.get();
  if (current < 1 || inputs_.isProcessing.get()) return;
  selectJob(current - 1);
}

void ResultView::showNextJob() {
  const auto conversation = inputs_.conversation.get();
  const int current = inputs_.currentJobIndex.get();
  if (!conversation || current + 1 >= static_cast<int>(conversation->jobs.size()) ||
      inputs_.isProcessing.get())
    return;
  selectJob(current + 1);
}

void ResultView::selectJob(int index) {
  const auto conversation = inputs_.conversation.get();
  if (!conversation || index < 0 || index >= static_cast<int>(conversation->jobs.size())) return;
  inputs_.currentJobIndex.set(index);
  inputs_.resultText.set(conversation->jobs[static_cast<std::size_t>(index)].result);
}

}  // namespace quellorin
