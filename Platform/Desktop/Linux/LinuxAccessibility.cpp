#include "Platform/Desktop/Linux/LinuxAccessibility.h"

#include <atspi/atspi.h>
#include <unistd.h>

#include <utility>

#include "Platform/Core/Log.h"
#include "Platform/Desktop/Linux/A11yBus.h"
#include "Platform/Desktop/Linux/DesktopThread.h"
#include "Platform/Desktop/Linux/LinuxAccessibilityElement.h"

namespace platform {
namespace {

// How deep and how wide the search for a focused object goes, so that a huge tree (a
// spreadsheet's cells) cannot stall the desktop thread.
constexpr int kMaximumDepth = 40;
constexpr int kMaximumChildren = 500;

bool hasState(AtspiAccessible* accessible, AtspiStateType state) {
  AtspiStateSet* states = atspi_accessible_get_state_set(accessible);
  if (states == nullptr) return false;
  const bool has = atspi_state_set_contains(states, state);
  g_object_unref(states);
  return has;
}

// The focused child of `accessible`, with a new reference; null for none.
AtspiAccessible* focusedChild(AtspiAccessible* accessible, int depth) {
  if (depth > kMaximumDepth) return nullptr;
  GError* error = nullptr;
  const int count = atspi_accessible_get_child_count(accessible, &error);
  if (error != nullptr) {
    g_error_free(error);
    return nullptr;
  }
  if (count > kMaximumChildren) return nullptr;
  for (int i = 0; i < count; ++i) {
    AtspiAccessible* child = atspi_accessible_get_child_at_index(accessible, i, &error);
    if (error != nullptr) {
      g_error_free(error);
      error = nullptr;
      continue;
    }
    if (child == nullptr) continue;
    if (hasState(child, ATSPI_STATE_FOCUSED)) return child;
    // Containers that are not focused themselves may hold the focused object (a web view's
    // document, a scrolled window): look inside them too.
    if (AtspiAccessible* inner = focusedChild(child, depth + 1)) {
      g_object_unref(child);
      return inner;
    }
    g_object_unref(child);
  }
  return nullptr;
}

// From a focused object down to the deepest focused one below it; takes and answers one
// reference.
AtspiAccessible* deepestFocused(AtspiAccessible* accessible) {
  for (int depth = 0; depth < kMaximumDepth; ++depth) {
    AtspiAccessible* inner = focusedChild(accessible, 0);
    if (inner == nullptr) return accessible;
    g_object_unref(accessible);
    accessible = inner;
  }
  return accessible;
}

// Whether `accessible` belongs to this process. Its own windows are never the element the
// services look for, and asking them through the bus from the thread that must answer for them
// would wait on itself until the call times out.
bool isOwnObject(AtspiAccessible* accessible) {
  GError* error = nullptr;
  const guint process = atspi_accessible_get_process_id(accessible, &error);
  if (error != nullptr) {
    g_error_free(error);
    return false;
  }
  return process == static_cast<guint>(getpid());
}

// The focused object inside the active window of any other application, with a new reference.
AtspiAccessible* focusedInActiveWindow() {
  AtspiAccessible* desktop = atspi_get_desktop(0);
  if (desktop == nullptr) return nullptr;
  AtspiAccessible* found = nullptr;
  GError* error = nullptr;
  const int applications = atspi_accessible_get_child_count(desktop, &error);
  for (int a = 0; error == nullptr && found == nullptr && a < applications; ++a) {
    AtspiAccessible* application = atspi_accessible_get_child_at_index(desktop, a, &error);
    if (application == nullptr) continue;
    if (isOwnObject(application)) {
      g_object_unref(application);
      continue;
    }
    const int windows = atspi_accessible_get_child_count(application, &error);
    for (int w = 0; error == nullptr && found == nullptr && w < windows; ++w) {
      AtspiAccessible* window = atspi_accessible_get_child_at_index(application, w, &error);
      if (window == nullptr) continue;
      if (hasState(window, ATSPI_STATE_ACTIVE)) found = focusedChild(window, 0);
      g_object_unref(window);
    }
    g_object_unref(application);
  }
  if (error != nullptr) g_error_free(error);
  g_object_unref(desktop);
  return found == nullptr ? nullptr : deepestFocused(found);
}

}  // namespace

// The last object that announced it took the focus. Touched on the desktop thread only.
struct LinuxAccessibility::FocusTracker {
  AtspiAccessible* focused = nullptr;
  AtspiEventListener* listener = nullptr;
  AtspiEventListener* insertions = nullptr;

  ~FocusTracker() {
    if (focused != nullptr) g_object_unref(focused);
  }
};

namespace {

// AT-SPI calls it from C on the desktop thread for every focus change.
void focusChanged(AtspiEvent* event, void* data) {
  try {
    auto* tracker = static_cast<LinuxAccessibility::FocusTracker*>(data);
    if (event != nullptr && event->source != nullptr && event->detail1 == 1 && !isOwnObject(event->source)) {
      if (tracker->focused != nullptr) g_object_unref(tracker->focused);
      tracker->focused = static_cast<AtspiAccessible*>(g_object_ref(event->source));
    }
  } catch (...) {
    // Nothing thrown here may reach libatspi; the focus stays as it was.
  }
  // The listener owns the event it is handed.
  if (event != nullptr) g_boxed_free(ATSPI_TYPE_EVENT, event);
}

// AT-SPI calls it from C on the desktop thread for every insertion of text anywhere.
void textInserted(AtspiEvent* event, void* data) {
  try {
    if (event != nullptr && event->detail2 > 0)
      static_cast<DesktopThread*>(data)->noteInserted(event->detail2);
  } catch (...) {
    // Nothing thrown here may reach libatspi; a waiter gives up at its limit instead.
  }
  if (event != nullptr) g_boxed_free(ATSPI_TYPE_EVENT, event);
}

// The system-wide element: its one attribute is the focused element.
class SystemWideElement final : public AccessibilityElement {
 public:
  SystemWideElement(std::shared_ptr<DesktopThread> desktop,
                    std::shared_ptr<LinuxAccessibility::FocusTracker> focus)
      : desktop_(std::move(desktop)), focus_(std::move(focus)) {}

  int processIdentifier() const override { return 0; }
  std::string description() const override { return "<AXSystemWide pid 0>"; }

  AXResult copyAttributeValue(std::string_view attribute) const override {
    if (attribute == "AXRole") return {AXError::success, AXValue(std::string("AXSystemWide"))};
    if (attribute != "AXFocusedUIElement") return {AXError::attributeUnsupported, std::nullopt};
    if (a11ybus::isEnabled() != true) return {AXError::apiDisabled, std::nullopt};
    return desktop_->call([this]() -> AXResult {
      AtspiAccessible* focused = nullptr;
      if (focus_->focused != nullptr && hasState(focus_->focused, ATSPI_STATE_FOCUSED)) {
        focused = deepestFocused(static_cast<AtspiAccessible*>(g_object_ref(focus_->focused)));
      } else {
        focused = focusedInActiveWindow();
      }
      if (focused == nullptr) return {AXError::noValue, std::nullopt};
      return {AXError::success, AXValue(std::shared_ptr<AccessibilityElement>(
                                    std::make_shared<LinuxAccessibilityElement>(desktop_, focused)))};
    });
  }

  AXError setAttributeValue(std::string_view, const AXValue&) override {
    return AXError::attributeUnsupported;
  }
  AXResult copyParameterizedAttributeValue(std::string_view, const AXValue&) const override {
    return {AXError::parameterizedAttributeUnsupported, std::nullopt};
  }

 private:
  const std::shared_ptr<DesktopThread> desktop_;
  const std::shared_ptr<LinuxAccessibility::FocusTracker> focus_;
};

// An application element: AT-SPI has no switch that makes an application expose its tree on
// request, so "AXManualAccessibility" is not supported; its title is the process's name.
class ApplicationElement final : public AccessibilityElement {
 public:
  explicit ApplicationElement(int processIdentifier) : processIdentifier_(processIdentifier) {}
  int processIdentifier() const override { return processIdentifier_; }
  std::string description() const override {
    return "<AXApplication pid " + std::to_string(processIdentifier_) + ">";
  }
  AXResult copyAttributeValue(std::string_view attribute) const override {
    if (attribute == "AXRole") return {AXError::success, AXValue(std::string("AXApplication"))};
    return {AXError::attributeUnsupported, std::nullopt};
  }
  AXError setAttributeValue(std::string_view, const AXValue&) override {
    return AXError::attributeUnsupported;
  }
  AXResult copyParameterizedAttributeValue(std::string_view, const AXValue&) const override {
    return {AXError::parameterizedAttributeUnsupported, std::nullopt};
  }

 private:
  const int processIdentifier_;
};

}  // namespace

LinuxAccessibility::LinuxAccessibility(std::shared_ptr<DesktopThread> desktop)
    : desktop_(std::move(desktop)), focus_(std::make_shared<FocusTracker>()) {
  desktop_->call([focus = focus_, desktop = desktop_.get()] {
    focus->listener = atspi_event_listener_new(focusChanged, focus.get(), nullptr);
    GError* error = nullptr;
    if (!atspi_event_listener_register(focus->listener, "object:state-changed:focused", &error)) {
      log("accessibility: cannot listen to focus changes");
    }
    if (error != nullptr) g_error_free(error);
    error = nullptr;
    // The desktop thread outlives the listener, which is deregistered on it.
    focus->insertions = atspi_event_listener_new(textInserted, desktop, nullptr);
    if (!atspi_event_listener_register(focus->insertions, "object:text-changed:insert", &error)) {
      log("accessibility: cannot listen to text insertions");
    }
    if (error != nullptr) g_error_free(error);
  });
  systemWide_ = std::make_shared<SystemWideElement>(desktop_, focus_);
}

LinuxAccessibility::~LinuxAccessibility() {
  desktop_->call([focus = focus_] {
    if (focus->listener == nullptr) return;
    atspi_event_listener_deregister(focus->listener, "object:state-changed:focused", nullptr);
    g_object_unref(focus->listener);
    focus->listener = nullptr;
    atspi_event_listener_deregister(focus->insertions, "object:text-changed:insert", nullptr);
    g_object_unref(focus->insertions);
    focus->insertions = nullptr;
  });
}

std::shared_ptr<AccessibilityElement> LinuxAccessibility::systemWideElement() const { return systemWide_; }

std::shared_ptr<AccessibilityElement> LinuxAccessibility::applicationElement(int processIdentifier) {
  return std::make_shared<ApplicationElement>(processIdentifier);
}

bool LinuxAccessibility::isProcessTrusted() const { return a11ybus::isEnabled() == true; }

bool LinuxAccessibility::enableAccessibility() { return a11ybus::setEnabled(true); }

}  // namespace platform
