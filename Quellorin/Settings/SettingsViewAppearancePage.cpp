// The appearance page of SettingsView: theme cards and the interface language.

#include <array>
#include <string>
#include <utility>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Log.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Quellorin/Settings/SettingsView.h"

namespace quellorin {

namespace {

const ui::Color accent = ui::Color::hex("#6B39F4");

// The theme's picture: the application ships no theme images, so each card draws its colours
// (the automatic one half light, half dark).
ui::Node themePreview(const std::string& value) {
  const auto swatch = [](const char* colour, double width) {
    return ui::Text("").frame(width, 60.0).background(ui::Color::hex(colour));
  };
  ui::Node preview =
      value == "auto" ? ui::HStack({swatch("#F5F5F7", 40), swatch("#2C2C2E", 40)}, ui::Alignment::center, 0)
      : value == "light" ? swatch("#F5F5F7", 80)
                         : swatch("#2C2C2E", 80);
  preview.stroke(ui::Color::named("gray").opacity(0.5), 1, 4);
  return preview;
}

}  // namespace

ui::Node SettingsView::appearanceCard(const std::string& value) {
  const bool selected = appearance.get() == value;
  auto select = weakly(this, [value](SettingsView& self) { self.selectAppearance(value); });
  ui::Node picture = ui::Button("appearance-" + value, themePreview(value), select);
  picture.padding(3).background(selected ? accent.opacity(0.6) : ui::Color::clear()).cornerRadius(8);
  ui::Node caption = ui::Button("appearance-caption-" + value,
                                ui::HStack({ui::Symbol(selected ? "record.circle.fill" : "circle")
                                                .foreground(selected ? accent : ui::Color::primary())
                                                .opacity(selected ? 1.0 : 0.4),
                                            ui::Text(platform::localizedString(value))
                                                .font(ui::Font::body())
                                                .foreground(ui::Color::primary())}),
                                select);
  ui::Node card = ui::VStack({std::move(picture), std::move(caption)});
  card.padding().hoverCursor(ui::Cursor::pointingHand);
  return card;
}

ui::Node SettingsView::appearancePage() {
  std::vector<ui::Node> cards;
  for (const char* value : {"auto", "light", "dark"}) cards.push_back(appearanceCard(value));
  ui::Node themeSection =
      ui::Section(ui::Text(platform::localizedString("appearance")).font(ui::Font::headline()),
                  {ui::HStack(std::move(cards))});

  std::vector<ui::Node> options;
  constexpr std::array<std::pair<const char*, const char*>, 4> languages{
      {{"setEN", "en"}, {"setZH", "zh"}, {"setJP", "jp"}, {"setFR", "fr"}}};
  for (const auto& [key, code] : languages) {
    options.push_back(ui::Text(platform::localizedString(key)).tagged(code));
  }
  auto selection = ui::Binding<std::string>(
      [stored = language] { return stored.get(); },
      weakly(this, [](SettingsView& self, std::string code) { self.changeLanguage(code); }));
  ui::Node picker = ui::Picker("language", "", selection, std::move(options));
  picker.frame(std::nullopt, 40.0).padding(ui::EdgeInsets{0, -20, 0, 0});
  // Opening the page applies the stored language again, so the bundle and the store agree.
  picker.onAppear(weakly(this, [](SettingsView& self) { self.changeLanguage(self.language.get()); }));
  ui::Node languageSection =
      ui::Section(ui::Text(platform::localizedString("languageSettings")).font(ui::Font::headline()),
                  {std::move(picker)});
  return ui::Form({std::move(themeSection), std::move(languageSection)}).id("page-appearance");
}

void SettingsView::selectAppearance(const std::string& value) { appearance.set(value); }

void SettingsView::changeLanguage(const std::string& code) {
  platform::log(code);
  language.set(code);
  platform::Bundle::setLanguage(code);
  platform::NotificationCenter::defaultCenter()->post("languageChanged");
}

}  // namespace quellorin
