#include "Quellorin/Assistant/PromptingView.h"

#include <utility>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Core/Unicode.h"
#include "Platform/Desktop/Window.h"
#include "Platform/Desktop/WindowContent.h"
#include "Platform/Desktop/WindowServer.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Quellorin/Assistant/DatabaseService.h"
#include "Quellorin/Services/CustomWindow.h"
#include "Quellorin/Services/WindowService.h"
#include "Quellorin/Settings/SettingsView.h"
#include "Quellorin/Shell/AppearanceManager.h"
#include "Quellorin/Shell/LanguageManager.h"
#include "UI/Host.h"
#include "UI/Scene.h"
#include "settings_access/SettingsLink.h"

namespace quellorin {

namespace {

constexpr const char* kPipelineUpdated = "PipelineUpdated";
constexpr double kFocusDelay = 0.2;
constexpr double kSettingsNotificationDelay = 0.3;
constexpr std::size_t kShortcutButtons = 9;

// The settings window this bar opens below system 14: the host that draws it.
class SettingsWindowContent final : public platform::WindowContent {
 public:
  explicit SettingsWindowContent(std::shared_ptr<ui::Host> host) : host_(std::move(host)) {}

 private:
  std::shared_ptr<ui::Host> host_;
};

bool isBlank(const std::string& text) {
  return platform::unicode::trimmingWhitespaceAndNewlines(text).empty();
}

// As wide as offered.
ui::Frame fullWidth(ui::Alignment alignment = ui::Alignment::center) {
  ui::Frame frame;
  frame.maxWidth = ui::infinity;
  frame.alignment = alignment;
  return frame;
}

// From one line up to 80 points, then the editor scrolls.
ui::Frame editorHeight() {
  ui::Frame frame;
  frame.minHeight = 16;
  frame.maxHeight = 80;
  return frame;
}

ui::Frame bottomRowFrame() {
  ui::Frame frame = fullWidth(ui::Alignment::leading);
  frame.height = 28;
  return frame;
}

}  // namespace

std::shared_ptr<PromptingView> PromptingView::make(Inputs inputs) {
  std::shared_ptr<PromptingView> view(new PromptingView(std::move(inputs)));
  view->observedCenter_ = platform::NotificationCenter::defaultCenter();
  std::weak_ptr<PromptingView> weak = view;
  view->pipelineObserver_ =
      view->observedCenter_->addObserver(kPipelineUpdated, platform::NotificationCenter::Delivery::mainQueue,
                                         [weak](const platform::Notification&) {
                                           if (auto self = weak.lock()) self->reloadPipelines();
                                         });
  return view;
}

PromptingView::PromptingView(Inputs inputs)
    : inputs_(std::move(inputs)),
      hoverCloseBgColor_(*this, ui::Color::white().opacity(0.1)),
      pipelines_(*this, inputs_.store ? inputs_.store->getPipelines() : std::vector<Pipeline>{}) {}

PromptingView::~PromptingView() {
  if (observedCenter_ && pipelineObserver_) observedCenter_->removeObserver(*pipelineObserver_);
}

bool PromptingView::hasPaddedLayout() const {
  return !inputs_.prompt.get().empty() || !inputs_.isProcessing.get();
}

bool PromptingView::showsPipelineButtons() const {
  return !inputs_.isProcessing.get() && inputs_.prompt.get().empty() &&
         (!inputs_.selectedText.empty() || !inputs_.resultText.get().empty());
}

std::string PromptingView::placeholderText() const {
  const auto conversation = inputs_.conversation.get();
  if (!conversation || conversation->jobs.empty()) return platform::localizedString("tellAiToDoSomething");
  const int next = inputs_.currentJobIndex.get() + 1;
  if (next >= 0 && static_cast<std::size_t>(next) < conversation->jobs.size())
    return conversation->jobs[static_cast<std::size_t>(next)].prompt;
  return platform::localizedString("continueSomeFollowUps");
}

std::string PromptingView::workText() const {
  auto result = inputs_.resultText.get();
  return result.empty() ? inputs_.selectedText : result;
}

std::string PromptingView::pipelineButtonLabel(const std::string& name, std::size_t number) {
  return platform::localizedString(platform::localizedString(name) + "(\u2318+" + std::to_string(number) +
                                   ")");
}

ui::Node PromptingView::body() {
  ui::Node bar = hasPaddedLayout() ? ui::VStack({editorCard(), bottomRow()}) : ui::VStack({});
  bar.frame(fullWidth()).padding(hasPaddedLayout() ? 10 : 0).id("promptBar");
  return bar;
}

ui::Node PromptingView::editorCard() {
  const bool processing = inputs_.isProcessing.get();
  const std::string prompt = inputs_.prompt.get();

  ui::Node status = processing ? ui::ProgressView().frame(20, 20).id("promptSpinner")
                               : ui::Symbol("wand.and.stars")
                                     .foreground(ui::Color::purple())
                                     .padding(ui::EdgeInsets{.leading = 4})
                                     .id("promptWand");

  ui::Node editor = ui::TextEditor("promptEditor", inputs_.prompt);
  editor.focused(inputs_.isPromptingFocused.binding())
      .disabled(processing)
      .background(ui::Color::named("contentBgColor"))
      .font(ui::Font::system(16))
      .frame(editorHeight());
  editor.onAppear([focus = inputs_.isPromptingFocused] {
    platform::MainQueue::main()->asyncAfter(kFocusDelay, [focus] { focus.set(true); });
  });
  std::vector<ui::Node> layers{std::move(editor)};
  if (prompt.empty()) {
    ui::Node placeholder = ui::Text(placeholderText());
    placeholder.foreground(ui::Color::gray().opacity(0.5))
        .font(ui::Font::system(16))
        .padding(ui::EdgeInsets{.top = 2, .leading = 6})
        .frame(std::nullopt, 16)
        .id("promptPlaceholder");
    placeholder.onTap([focus = inputs_.isPromptingFocused] { focus.set(true); });
    layers.push_back(std::move(placeholder));
  }
  if (processing) layers.push_back(ui::Empty().background(ui::Color::named("BackgroundColor").opacity(0.7)));
  ui::Node area = ui::ZStack(std::move(layers), ui::Alignment::topLeading);
  area.background(ui::Color::named("contentBgColor")).frame(fullWidth(ui::Alignment::leading));

  const bool blank = isBlank(prompt);
  ui::Node submit = ui::Button("submitPrompt",
                               ui::Symbol("arrow.right.circle.fill")
                                   .frame(20, 20)
                                   .foreground(blank ? ui::Color::gray() : ui::Color::purple()),
                               weakly(this, [](PromptingView& self) { self.submitCustomPrompt(); }));
  submit.disabled(processing || blank)
      .hoverCursor(ui::Cursor::pointingHand)
      .padding(ui::EdgeInsets{.trailing = 8});

  ui::Node card = ui::HStack({std::move(status), std::move(area), std::move(submit)});
  card.padding(ui::EdgeInsets{12, 8, 12, 8})
      .frame(fullWidth())
      .background(ui::Color::named("contentBgColor"))
      .cornerRadius(6)
      .id("promptCard");
  return card;
}

ui::Node PromptingView::bottomRow() {
  std::vector<ui::Node> items{settingsButton()};
  if (showsPipelineButtons()) {
    std::size_t number = 0;
    for (const auto& pipeline : *pipelines_) {
      ++number;
      ui::Node button = ui::Button(
          "pipeline-" + std::to_string(number),
          ui::Text(pipelineButtonLabel(pipeline.name, number))
              .font(ui::Font::footnote())
              .foreground(ui::Color::gray()),
          weakly(this, [position = number - 1](PromptingView& self) { self.runPipeline(position); }));
      // Past the ninth there is no single digit left to press.
      if (number <= kShortcutButtons)
        button.keyboardShortcut(ui::KeyboardShortcut::character(std::to_string(number)));
      button.padding(ui::EdgeInsets{4, 6, 4, 6}).hoverCursor(ui::Cursor::pointingHand);
      items.push_back(std::move(button));
    }
  }
  items.push_back(ui::Spacer());
  items.push_back(cancelButton());
  ui::Node row = ui::HStack(std::move(items));
  row.frame(bottomRowFrame())
      .padding(ui::EdgeInsets{.leading = 6, .bottom = 8, .trailing = 6})
      .id("promptBottomRow");
  return row;
}

ui::Node PromptingView::settingsButton() {
  ui::Node gear = ui::Symbol("gearshape.fill").frame(16, 16).foreground(ui::Color::gray());
  ui::Node button;
  if (ui::systemVersion().major >= 14) {
    button = settings_access::settingsLink(
        "openSettings", std::move(gear),
        [] {
          platform::MainQueue::main()->asyncAfter(kSettingsNotificationDelay,
                                                  [] { postOpenGeneralSettings(); });
        },
        [] {});
  } else {
    button = ui::Button("openSettings", std::move(gear),
                        weakly(this, [](PromptingView& self) { self.openSettingsLegacy(); }));
  }
  button.hoverCursor(ui::Cursor::pointingHand);
  return button;
}

ui::Node PromptingView::cancelButton() {
  ui::Node label = ui::HStack(
      {ui::Text(platform::localizedString("cancel")),
       ui::Text(platform::localizedString("esc")).font(ui::Font::footnote()).foreground(ui::Color::gray())},
      ui::Alignment::center, 4);
  label.padding(ui::EdgeInsets{6, 10, 6, 10}).background(*hoverCloseBgColor_);
  ui::Node button = ui::Button("cancelPrompt", std::move(label),
                               weakly(this, [](PromptingView& self) { self.hideAssistantWindow(); }));
  button.keyboardShortcut(ui::KeyboardShortcut::code(ui::keycode::escape))
      .cornerRadius(4)
      .stroke(ui::Color::gray(), 1, 4)
      .hoverCursor(ui::Cursor::pointingHand);
  button.onHover([color = hoverCloseBgColor_](bool inside) {
    color.set(inside ? ui::Color::named("hoverBgColor") : ui::Color::white().opacity(0.1));
  });
  return button;
}

void PromptingView::submitCustomPrompt() {
  platform::MainQueue::main()->async(weakly(this, [](PromptingView& self) {
    if (self.inputs_.handleCustomCommit)
      self.inputs_.handleCustomCommit(self.workText(), self.inputs_.prompt.get(), "fast");
  }));
}

void PromptingView::runPipeline(std::size_t position) {
  if (position >= pipelines_->size()) return;
  const auto id = (*pipelines_)[position].id;
  if (!id) return;
  platform::MainQueue::main()->async(weakly(this, [id = *id](PromptingView& self) {
    if (self.inputs_.handlePipelineCommit) self.inputs_.handlePipelineCommit(id, self.workText());
  }));
}

void PromptingView::reloadPipelines() {
  pipelines_.set(inputs_.store ? inputs_.store->getPipelines() : std::vector<Pipeline>{});
}

void PromptingView::hideAssistantWindow() {
  platform::log("toolbar 隐藏");
  auto windows = inputs_.windows.lock();
  if (!windows) return;
  if (auto window = windows->mainWindow()) window->orderOut();
  windows->restoreFocusToOriginalApp();
}

void PromptingView::postOpenGeneralSettings() {
  auto center = platform::NotificationCenter::defaultCenter();
  center->post("ChangeSettingsTab", std::string("general"));
  center->post("OpenSetting");
}

void PromptingView::openSettingsLegacy() {
  openSettingsWindow();
  postOpenGeneralSettings();
}

void PromptingView::openSettingsWindow() {
  const auto environment = platform::Environment::current();
  for (const auto& window : environment->windowServer->windows()) {
    if (window->identifier() == settingsWindowIdentifier) {
      window->makeKeyAndOrderFront();
      window->setLevel(platform::windowlevel::floating);
      return;
    }
  }
  auto window = std::make_shared<platform::Window>(
      platform::Rect{0, 0, 400, 300},
      platform::windowstyle::titled | platform::windowstyle::closable | platform::windowstyle::resizable, 2,
      false);
  window->setIdentifier(settingsWindowIdentifier);
  window->setTitle("Settings");
  ui::EnvironmentObjects objects;
  if (auto language = environmentObject<LanguageManager>()) objects.set(language);
  if (auto appearance = environmentObject<AppearanceManager>()) objects.set(appearance);
  auto host = ui::Host::make(SettingsView::make(), ui::Host::Options{.width = 400}, std::move(objects));
  window->setContentView(std::make_shared<SettingsWindowContent>(std::move(host)));
  window->makeKeyAndOrderFront();
  window->setLevel(platform::windowlevel::floating);
}

}  // namespace quellorin
