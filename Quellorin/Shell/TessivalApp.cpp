#include "Quellorin/Shell/TessivalApp.h"

#include <utility>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Crypto/UUID.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Http/URLComponents.h"
#include "Platform/Desktop/Workspace.h"
#include "Quellorin/Assistant/DatabaseService.h"
#include "Quellorin/Shell/AppearanceManager.h"
#include "Quellorin/Shell/Application.h"
#include "Quellorin/Shell/LanguageManager.h"
#include "Quellorin/Common/ServiceAddress.h"
#include "Quellorin/Shell/SettingsOpener.h"
#include "Quellorin/Shell/SoftwareUpdater.h"

namespace quellorin {

namespace {

constexpr double kSelectionNoticeDelay = 0.2;
constexpr double kGeneralTabDelay = 0.3;

std::string L(std::string_view key) { return platform::localizedString(key); }

platform::Environment& environment() { return *platform::Environment::current(); }

void post(const std::string& name, std::optional<std::string> object = std::nullopt) {
  environment().notificationCenter->post(name, std::move(object));
}

// "currentPipelineId" when it holds an integer.
std::optional<std::int64_t> storedPipelineId() {
  const auto value = environment().userDefaults->object("currentPipelineId");
  if (!value || !std::holds_alternative<std::int64_t>(*value)) return std::nullopt;
  return std::get<std::int64_t>(*value);
}

void activateApplication() {
  if (const auto application = Application::current()) application->activate(true);
}

// A leading mark of a menu item: the check mark, or a clear placeholder of its width.
ui::Node mark(bool checked) {
  ui::Node symbol = ui::Symbol("checkmark").frame(ui::Frame{24, {}, {}, {}, {}, {}, ui::Alignment::leading});
  if (!checked) symbol.hidden();
  return symbol;
}

}  // namespace

const std::vector<LanguageOption>& TessivalApp::languageOptions() {
  static const std::vector<LanguageOption> options = [] {
    std::vector<LanguageOption> list;
    for (const char* id : {"disabled", "ZH", "EN", "FR", "IT", "SP", "GE", "JP", "KR", "RU", "PT"}) {
      list.push_back({id, id});
    }
    return list;
  }();
  return options;
}

std::shared_ptr<TessivalApp> TessivalApp::make(Dependencies dependencies) {
  std::shared_ptr<TessivalApp> app(new TessivalApp(std::move(dependencies)));
  app->start();
  return app;
}

TessivalApp::TessivalApp(Dependencies dependencies)
    : dependencies_(std::move(dependencies)),
      viewRefreshId_(*this, "viewRefreshId", platform::randomUUIDString()),
      selectedOption_(*this,
                      environment().userDefaults->string("SpecialKeyFeatureStatus").value_or("disabled")),
      selectedPipeline_(*this, "selectedPipeline", ""),
      apiRequestCount_(*this, "apiUsageCount", 0),
      maxFastCount_(*this, "maxFastCount", ""),
      isLoggedIn_(*this, "isLoggedIn", false),
      username_(*this, "username", ""),
      notificationCenter_(environment().notificationCenter),
      store_(environment().userDefaults) {
  if (!dependencies_.pipelines)
    dependencies_.pipelines = [] { return DatabaseService::shared()->getPipelines(); };
  platform::Bundle::setLanguage(LanguageManager::storedLanguage());
  languageManager_ = std::make_shared<LanguageManager>();
  appearanceManager_ = std::make_shared<AppearanceManager>();
}

TessivalApp::~TessivalApp() {
  for (const auto& token : observers_) notificationCenter_->removeObserver(token);
  if (tokenObserver_) store_->removeObserver(*tokenObserver_);
}

void TessivalApp::start() {
  auto& store = *store_;
  isLoggedIn_.set(store.contains("SessionToken"));
  apiRequestCount_.set(store.integer("apiUsageCount"));
  maxFastCount_.set(store.string("maxFastCount").value_or(""));
  selectedPipeline_.set(store.string("selectedPipeline").value_or(""));

  using Delivery = platform::NotificationCenter::Delivery;
  observers_.push_back(notificationCenter_->addObserver(
      "UserInfoChanged", Delivery::mainQueue,
      weakly(this,
             [](TessivalApp& self, const platform::Notification&) { self.reloadAccountFromDefaults(); })));
  observers_.push_back(
      notificationCenter_->addObserver("PipelineUpdated", Delivery::mainQueue,
                                       weakly(this, [](TessivalApp& self, const platform::Notification&) {
                                         platform::MainQueue::main()->async(weakly(
                                             &self, [](TessivalApp& app) { app.syncSelectedPipeline(); }));
                                       })));
  // Either language manager may switch the language: the menu's texts follow.
  observers_.push_back(notificationCenter_->addObserver(
      LanguageManager::languageChanged, Delivery::mainQueue,
      weakly(this, [](TessivalApp& self, const platform::Notification&) { self.invalidate(); })));
  // The token may go without "UserInfoChanged" (the service client drops it on a 401): follow
  // the key itself so the menu never shows a signed-out user as signed in.
  auto queue = platform::MainQueue::main();
  tokenObserver_ = store.addObserver(
      "SessionToken", [queue, refresh = weakly(this, [](TessivalApp& self) {
                                self.isLoggedIn_.set(self.store_->contains("SessionToken"));
                              })](const std::string&, const std::optional<platform::DefaultsValue>&) {
        queue->async(refresh);
      });
}

ui::Scenes TessivalApp::scenes() {
  ui::Scenes scenes;
  scenes.settings = settingsScene();
  scenes.menuBarExtra = menuBarExtra();
  return scenes;
}

ui::SettingsScene TessivalApp::settingsScene() {
  ui::SettingsScene settings;
  if (dependencies_.settingsView) settings.content = dependencies_.settingsView();
  settings.environment.set(languageManager_);
  settings.environment.set(appearanceManager_);
  return settings;
}

std::optional<ui::MenuBarExtra> TessivalApp::menuBarExtra() {
  if (!ui::systemVersion().isAtLeast(13)) return std::nullopt;
  return ui::MenuBarExtra{L("Quellorin"), "sparkles", shared_from_this()};
}

void TessivalApp::reloadAccountFromDefaults() {
  auto& store = *store_;
  // The text views read "username" themselves; an absent name shows the placeholder.
  isLoggedIn_.set(store.contains("SessionToken"));
  apiRequestCount_.set(store.integer("apiUsageCount"));
  maxFastCount_.set(store.string("maxFastCount").value_or(""));
  invalidate();
}

void TessivalApp::syncSelectedPipeline() {
  if (const auto id = storedPipelineId()) {
    // The chosen pipeline's own name, as the store has it now.
    std::string name;
    for (const auto& pipeline : dependencies_.pipelines()) {
      if (pipeline.id == id) name = pipeline.name;
    }
    selectedPipeline_.set(name);
  } else {
    store_->remove("currentPipelineId");
    selectedPipeline_.set("");
  }
  platform::MainQueue::main()->async(weakly(this, [](TessivalApp& self) { self.refreshViewId(); }));
}

void TessivalApp::refreshViewId() { viewRefreshId_.set(platform::randomUUIDString()); }

void TessivalApp::clearPipelineSelection() {
  platform::MainQueue::main()->async(weakly(this, [](TessivalApp& self) {
    self.selectedPipeline_.set("");
    self.store_->remove("currentPipelineId");
    platform::MainQueue::main()->asyncAfter(kSelectionNoticeDelay, [] { post("PipelineSelectionChanged"); });
    self.invalidate();
  }));
}

void TessivalApp::selectPipeline(const Pipeline& pipeline) {
  platform::MainQueue::main()->async(weakly(this, [pipeline](TessivalApp& self) {
    if (pipeline.id) {
      self.store_->setInteger("currentPipelineId", *pipeline.id);
      platform::MainQueue::main()->asyncAfter(kSelectionNoticeDelay,
                                              [] { post("PipelineSelectionChanged"); });
    }
    self.selectedPipeline_.set(pipeline.name);
    self.invalidate();
  }));
}

void TessivalApp::selectSpacebarLanguage(const LanguageOption& option) {
  selectedOption_.set(option.id);
  store_->setString("SpecialKeyFeatureStatus", option.id);
}

void TessivalApp::checkForUpdates() {
  if (dependencies_.updater) dependencies_.updater->checkForUpdates();
}

ui::Node TessivalApp::accountRow() {
  if (!isLoggedIn_.get()) {
    return ui::Button(
        "account",
        ui::HStack({ui::Symbol("person.circle"), ui::Text(L("login"))}).foreground(ui::Color::black()), [] {
          const std::string address = serviceBaseURL() + "/auth/login?callback=macos";
          if (!platform::URLComponents::parse(address)) return;
          platform::log("login");
          environment().workspace->openURL(address);
        });
  }
  const std::string name = username_.get();
  ui::Node nameText = name.empty() ? ui::Text(L("notset")).foreground(ui::Color::gray())
                                   : ui::Text(name).foreground(ui::Color::primary());
  const bool settingsLink = ui::systemVersion().isAtLeast(14);
  return ui::Button("account",
                    ui::HStack({ui::Symbol("person.circle").foreground(ui::Color::black()), nameText}),
                    [settingsLink] {
                      post("ChangeSettingsTab", "config");
                      post("OpenSetting");
                      SettingsOpener::open();
                      if (!settingsLink) platform::log("showSettingsPage 被调用");
                      activateApplication();
                    });
}

std::vector<ui::Node> TessivalApp::pipelineItems() {
  if (pipelinesReadFor_ != viewRefreshId_.get()) {
    pipelines_ = dependencies_.pipelines();
    pipelinesReadFor_ = viewRefreshId_.get();
  }
  const auto current = storedPipelineId();
  const std::string selected = selectedPipeline_.get();
  std::vector<ui::Node> items;
  items.push_back(ui::Button("pipeline.none",
                             ui::HStack({mark(selected.empty()), ui::Text(L("quellorinClose"))}),
                             weakly(this, [](TessivalApp& self) { self.clearPipelineSelection(); }))
                      .markChecked(selected.empty()));
  for (std::size_t index = 0; index < pipelines_.size(); ++index) {
    const Pipeline& pipeline = pipelines_[index];
    const bool isCurrent = pipeline.id && current == pipeline.id;
    const std::string id = pipeline.id ? "pipeline." + std::to_string(*pipeline.id)
                                       : "pipeline.unsaved." + std::to_string(index);
    items.push_back(ui::Button(id, ui::HStack({mark(isCurrent), ui::Text(L(pipeline.name))}),
                               weakly(this, [pipeline](TessivalApp& self) { self.selectPipeline(pipeline); }))
                        .markChecked(isCurrent));
  }
  items.push_back(ui::Divider());
  items.push_back(ui::Button("pipeline.settings", L("settings"), [] {
    // The tab is chosen once the window is there to take it.
    platform::MainQueue::main()->asyncAfter(kGeneralTabDelay, [] { post("ChangeSettingsTab", "general"); });
    SettingsOpener::open();
    activateApplication();
  }));
  return items;
}

ui::Node TessivalApp::body() {
  std::vector<ui::Node> menu;
  menu.push_back(accountRow());
  menu.push_back(ui::Button("usage",
                            ui::Text(L("fastAPIRequests") + ": " + std::to_string(apiRequestCount_.get()) +
                                     " / " + maxFastCount_.get())
                                .foreground(ui::Color::black()),
                            [] {}));

  const std::string selected = selectedPipeline_.get();
  menu.push_back(ui::Menu("pipelines",
                          L("pipelinesTitle") + " " + (selected.empty() ? L("notset") : L(selected)),
                          pipelineItems()));

  const std::string option = selectedOption_.get();
  std::vector<ui::Node> languages;
  for (const auto& entry : languageOptions()) {
    languages.push_back(
        ui::Button("spacebar." + entry.id,
                   ui::HStack({mark(option == entry.id), ui::Text(L(entry.localizedText))})
                       .frame(ui::Frame{150, {}, {}, {}, {}, {}, ui::Alignment::leading}),
                   weakly(this, [entry](TessivalApp& self) { self.selectSpacebarLanguage(entry); }))
            .markChecked(option == entry.id));
  }
  menu.push_back(ui::Menu(
      "spacebar", L("spacebarTrigger") + (option == "disabled" ? "" : L("translateTo")) + " " + L(option),
      std::move(languages)));
  menu.push_back(ui::Divider());
  menu.push_back(ui::Button("settings", L("settings"), [] {
    post("OpenSetting");
    SettingsOpener::open();
    activateApplication();
  }));
  menu.push_back(ui::Button("checkForUpdates", L("checkForUpdates"),
                            weakly(this, [](TessivalApp& self) { self.checkForUpdates(); })));
  menu.push_back(ui::Button("exit", L("exit"), weakly(this, [](TessivalApp& self) {
                              if (self.dependencies_.terminate) self.dependencies_.terminate();
                            })));
  return ui::VStack(std::move(menu));
}

}  // namespace quellorin
