#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "Platform/Desktop/AXValue.h"
#include "Platform/Desktop/Accessibility.h"

namespace platform {

class SimulatedAccessibilityElement;
class Workspace;

// The simulated desktop's accessibility: the system-wide element, whose "AXFocusedUIElement"
// is the focused element of the application in front; one element per application, with a
// settable "AXManualAccessibility"; and the process-trust switch. Thread-safe.
//
// The system-wide element may outlive this object (whoever holds it keeps it); its
// "AXFocusedUIElement" then answers cannotComplete.
class SimulatedAccessibility final : public Accessibility,
                                     public std::enable_shared_from_this<SimulatedAccessibility> {
  struct Passkey {
    explicit Passkey() = default;
  };

 public:
  static std::shared_ptr<SimulatedAccessibility> make(std::shared_ptr<const Workspace> workspace);
  SimulatedAccessibility(Passkey, std::shared_ptr<const Workspace> workspace);
  SimulatedAccessibility(const SimulatedAccessibility&) = delete;
  SimulatedAccessibility& operator=(const SimulatedAccessibility&) = delete;

  std::shared_ptr<AccessibilityElement> systemWideElement() const override;
  // The element of the application with that process identifier, made on first use.
  std::shared_ptr<AccessibilityElement> applicationElement(int processIdentifier) override;
  std::shared_ptr<SimulatedAccessibilityElement> simulatedApplicationElement(int processIdentifier);

  // The process-trust test (asks the user nothing).
  bool isProcessTrusted() const override;

  // --- The desktop side ----------------------------------------------------------------------
  void setProcessTrusted(bool trusted);
  // The element that has the keyboard focus inside that application; null for none.
  void setFocusedElement(int processIdentifier, std::shared_ptr<SimulatedAccessibilityElement> element);
  // The focused element of the application in front, as the desktop knows it, whatever the
  // application answers through the interface; null for none.
  std::shared_ptr<SimulatedAccessibilityElement> focusedElementOfFrontApplication() const;
  // The application answers the focused-element read with cannotComplete until its element's
  // "AXManualAccessibility" has been set to true, as some applications built on web engines do.
  void requireManualAccessibility(int processIdentifier);

 private:
  AXResult readFocusedElement();

  const std::shared_ptr<const Workspace> workspace_;
  const std::shared_ptr<SimulatedAccessibilityElement> systemWide_;
  mutable std::mutex mutex_;
  bool trusted_ = false;
  std::map<int, std::shared_ptr<SimulatedAccessibilityElement>> applications_;
  std::map<int, std::shared_ptr<SimulatedAccessibilityElement>> focused_;
  std::set<int> needManualAccessibility_;
};

}  // namespace platform
