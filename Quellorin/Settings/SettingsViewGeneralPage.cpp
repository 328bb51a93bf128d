// The shortcut and pipeline page of SettingsView.

#include <string>
#include <utility>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Quellorin/Assistant/DatabaseService.h"
#include "Quellorin/Settings/SettingsView.h"
#include "Quellorin/Common/ShortcutDisplayString.h"

namespace quellorin {

namespace {

std::string rowKey(const std::optional<std::int64_t>& id, std::size_t index) {
  return id ? std::to_string(*id) : "none-" + std::to_string(index);
}

}  // namespace

std::optional<std::string> recordableShortcut(const ui::KeyEvent& event) {
  const auto flags = event.modifierFlags & 0xFFFF0000ULL;
  if ((flags & (modifier::command | modifier::option | modifier::control)) == 0) return std::nullopt;
  return shortcutDisplayString(event.keyCode, flags);
}

ui::Node SettingsView::generalPage() {
  ui::Node shortcutText =
      ui::Text(*isRecordingShortcut ? platform::localizedString("globalShortcut") : *globalShortcut);
  std::vector<ui::Node> shortcutRow = {
      ui::Text(platform::localizedString("shortKey")),
      ui::Spacer(),
      ui::Button("shortcut", std::move(shortcutText),
                 weakly(this,
                        [](SettingsView& self) {
                          self.isRecordingShortcut.set(true);
                          self.startShortcutRecording();
                        })),
  };
  if (*isRecordingShortcut) {
    shortcutRow.push_back(ui::Button("shortcut-cancel", platform::localizedString("cancel"),
                                     weakly(this, [](SettingsView& self) {
                                       self.isRecordingShortcut.set(false);
                                       self.stopShortcutRecording();
                                     })));
  }
  ui::Node shortcutSection =
      ui::Section(ui::Text(platform::localizedString("shortKeyConfig")).font(ui::Font::headline()),
                  {ui::HStack(std::move(shortcutRow))});

  std::vector<ui::Node> rows;
  if (pipelines->empty()) {
    rows.push_back(ui::Text(platform::localizedString("noWorkflow")).foreground(ui::Color::named("gray")));
  } else {
    for (const auto& pipeline : *pipelines) rows.push_back(pipelineRow(pipeline));
  }
  ui::Node header = ui::VStack({ui::Text(platform::localizedString("pipeline")).font(ui::Font::headline()),
                                ui::Text(platform::localizedString("choosePipelines"))
                                    .font(ui::Font::subheadline())
                                    .foreground(ui::Color::named("gray"))
                                    .padding(ui::EdgeInsets{0, 0, 5, 0})},
                               ui::Alignment::leading);
  ui::Node pipelineSection = ui::Section(std::move(header), {ui::HStack({ui::List(std::move(rows))})});
  return ui::Form({std::move(shortcutSection), std::move(pipelineSection)}).id("page-general");
}

ui::Node SettingsView::pipelineRow(const Pipeline& pipeline) {
  std::string joined;
  for (const auto& prompt : pipeline.prompts) {
    if (!joined.empty()) joined += " \u2192 ";
    joined += platform::localizedString(prompt.prompt);
  }
  std::string line = platform::localizedString("(%@)");
  if (const auto at = line.find("%@"); at != std::string::npos) {
    line.replace(at, 2, joined);
  } else {
    line = "(" + joined + ")";
  }
  const auto key = rowKey(pipeline.id, static_cast<std::size_t>(&pipeline - pipelines->data()));
  const bool current = pipeline.id && pipeline.id == *currentPipelineId;
  ui::Node trash =
      ui::Button("pipeline-delete-" + key, ui::Symbol("trash").foreground(ui::Color::named("red")),
                 weakly(this, [id = pipeline.id](SettingsView& self) {
                   self.deletePipeline(id);
                   self.pipelines.set(self.store().getPipelines());
                 }));
  trash.opacity(*hoveredPipelineId == pipeline.id && pipeline.id ? 1 : 0);
  ui::Node row = ui::HStack({
      ui::VStack({ui::Text(platform::localizedString(pipeline.name)),
                  ui::Text(std::move(line)).font(ui::Font::footnote()).padding(ui::EdgeInsets{0, 10, 0, 0})},
                 ui::Alignment::leading),
      ui::Spacer(),
      current ? ui::Symbol("checkmark") : ui::Empty(),
      std::move(trash),
  });
  row.id("pipeline-" + key).padding(4, 0);
  row.onTap(weakly(this, [id = pipeline.id, name = pipeline.name](SettingsView& self) {
    self.togglePipelineSelection(id, name);
  }));
  row.onHover(weakly(this, [id = pipeline.id](SettingsView& self, bool inside) {
    self.hoveredPipelineId.set(inside ? id : std::nullopt);
  }));
  return row;
}

void SettingsView::startShortcutRecording() {
  if (eventMonitor_) return;  // at most one recorder at a time
  auto window = host();
  if (!window) return;
  std::weak_ptr<SettingsView> weak = std::static_pointer_cast<SettingsView>(shared_from_this());
  const auto token =
      window->addLocalKeyMonitor([weak](const ui::KeyEvent& event) -> std::optional<ui::KeyEvent> {
        if (auto self = weak.lock()) self->recordShortcut(event);
        return std::nullopt;
      });
  eventMonitor_ = std::make_pair(std::weak_ptr<ui::Host>(window), token);
}

void SettingsView::stopShortcutRecording() {
  if (!eventMonitor_) return;
  if (auto window = eventMonitor_->first.lock()) window->removeLocalKeyMonitor(eventMonitor_->second);
  eventMonitor_.reset();
}

void SettingsView::recordShortcut(const ui::KeyEvent& event) {
  if (event.keyCode == ui::keycode::escape && (event.modifierFlags & ui::modifier::shortcutMask) == 0) {
    isRecordingShortcut.set(false);
    stopShortcutRecording();
    return;
  }
  // A key without Command, Option or Control is swallowed and recording goes on: the old
  // shortcut stays until a usable one is pressed or recording is cancelled.
  auto shortcut = recordableShortcut(event);
  if (!shortcut) return;
  globalShortcut.set(*shortcut);
  platform::Environment::current()->userDefaults->setString("GlobalShortcut", *shortcut);
  isRecordingShortcut.set(false);
  stopShortcutRecording();
}

void SettingsView::togglePipelineSelection(std::optional<std::int64_t> id, const std::string& name) {
  if (!id) return;
  auto store = platform::Environment::current()->userDefaults;
  if (!*currentPipelineId || *currentPipelineId != id) {
    currentPipelineId.set(id);
    store->setInteger("currentPipelineId", *id);
    store->setString("pipelineName", name);
  } else {
    currentPipelineId.set(std::nullopt);
    store->remove("currentPipelineId");
    store->remove("pipelineName");  // the name goes with the choice it named
  }
  auto queue = platform::MainQueue::main();
  queue->async(weakly(this, [](SettingsView& self) {
    platform::MainQueue::main()->asyncAfter(
        0.3, self.weakly(&self, [](SettingsView& inner) { inner.postPipelineUpdated(); }));
  }));
}

void SettingsView::deletePipeline(std::optional<std::int64_t> id) {
  if (!id) return;
  if (store().deletePipeline(*id) && *currentPipelineId == id) {
    currentPipelineId.set(std::nullopt);
    auto store = platform::Environment::current()->userDefaults;
    store->remove("currentPipelineId");
    store->remove("selectedPipeline");
    store->remove("pipelineName");
  }
  platform::MainQueue::main()->async(weakly(this, [](SettingsView& self) { self.postPipelineUpdated(); }));
}

void SettingsView::postPipelineUpdated() {
  platform::NotificationCenter::defaultCenter()->post("PipelineUpdated");
}

}  // namespace quellorin
