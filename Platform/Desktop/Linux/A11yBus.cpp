#include "Platform/Desktop/Linux/A11yBus.h"

#include <gio/gio.h>

namespace platform::a11ybus {
namespace {

constexpr int kTimeoutMilliseconds = 1000;

GDBusConnection* sessionBus() {
  GError* error = nullptr;
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  if (error != nullptr) g_error_free(error);
  return bus;
}

}  // namespace

std::optional<bool> isEnabled() {
  GDBusConnection* bus = sessionBus();
  if (bus == nullptr) return std::nullopt;
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_sync(
      bus, "org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Get",
      g_variant_new("(ss)", "org.a11y.Status", "IsEnabled"), G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE,
      kTimeoutMilliseconds, nullptr, &error);
  g_object_unref(bus);
  if (error != nullptr) {
    g_error_free(error);
    return std::nullopt;
  }
  GVariant* value = nullptr;
  g_variant_get(reply, "(v)", &value);
  const bool enabled = g_variant_is_of_type(value, G_VARIANT_TYPE_BOOLEAN) && g_variant_get_boolean(value);
  g_variant_unref(value);
  g_variant_unref(reply);
  return enabled;
}

bool setEnabled(bool enabled) {
  GDBusConnection* bus = sessionBus();
  if (bus == nullptr) return false;
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_sync(
      bus, "org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
      g_variant_new("(ssv)", "org.a11y.Status", "IsEnabled", g_variant_new_boolean(enabled)), nullptr,
      G_DBUS_CALL_FLAGS_NONE, kTimeoutMilliseconds, nullptr, &error);
  g_object_unref(bus);
  if (error != nullptr) {
    g_error_free(error);
    return false;
  }
  g_variant_unref(reply);
  return true;
}

}  // namespace platform::a11ybus
