#include "Platform/Desktop/Linux/GtkAppearance.h"

#include <gtk/gtk.h>

#include <cstdlib>

#include "Platform/Desktop/Linux/DesktopThread.h"

namespace platform {

namespace {

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

}  // namespace

GtkAppearance::GtkAppearance(std::shared_ptr<DesktopThread> desktopThread)
    : desktopThread_(std::move(desktopThread)) {
  desktopThread_->call([this] {
    GtkSettings* settings = gtk_settings_get_default();
    if (settings == nullptr) return;
    gchar* theme = nullptr;
    gboolean prefersDark = FALSE;
    g_object_get(settings, "gtk-theme-name", &theme, "gtk-application-prefer-dark-theme", &prefersDark,
                 nullptr);
    systemTheme_ = theme != nullptr ? theme : "";
    g_free(theme);
    systemPrefersDark_ = prefersDark == TRUE;
  });
}

bool GtkAppearance::isDarkThemeName(const std::string& themeName) {
  const std::string name = lowered(themeName);
  return endsWith(name, "-dark") || endsWith(name, ":dark") || endsWith(name, "_dark");
}

DesktopAppearance::Scheme GtkAppearance::systemScheme() const {
  const char* forced = std::getenv("GTK_THEME");
  const bool dark =
      systemPrefersDark_ || isDarkThemeName(systemTheme_) || (forced && isDarkThemeName(forced));
  return dark ? Scheme::dark : Scheme::light;
}

void GtkAppearance::setApplicationScheme(std::optional<Scheme> scheme) {
  std::string theme = systemTheme_;
  bool prefersDark = systemPrefersDark_;
  if (scheme == Scheme::dark) {
    prefersDark = true;
  } else if (scheme == Scheme::light) {
    prefersDark = false;
    if (isDarkThemeName(theme)) theme.resize(theme.size() - 5);
  }
  desktopThread_->call([theme, prefersDark] {
    GtkSettings* settings = gtk_settings_get_default();
    if (settings == nullptr) return;
    if (!theme.empty()) g_object_set(settings, "gtk-theme-name", theme.c_str(), nullptr);
    g_object_set(settings, "gtk-application-prefer-dark-theme", prefersDark ? TRUE : FALSE, nullptr);
  });
}

}  // namespace platform
