#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

// The drawing area of a real window: a page (HTML) in a web engine, with the window's keys
// offered to the application before the page sees them. The layer above shows its view tree
// there and hears back from the page through messages. Main thread only; the handlers run on
// the main thread, never from inside a call of this interface.
class PageSurface {
 public:
  // A key press as the window received it; flags and codes are the desktop's (Event's).
  struct Key {
    std::uint16_t keyCode = 0;
    std::string characters;                   // UTF-8, with the modifiers applied
    std::string charactersIgnoringModifiers;  // UTF-8
    std::uint64_t modifierFlags = 0;
  };
  // Answers true when the key was taken: the page never sees it.
  using KeyHandler = std::function<bool(const Key&)>;
  // A message the page posted, as JSON text.
  using MessageHandler = std::function<void(const std::string& json)>;

  // The name under which the page posts: window.webkit.messageHandlers.<name>.postMessage(value).
  static constexpr const char* kMessageHandlerName = "quellorinView";

  virtual ~PageSurface() = default;

  // Replaces the page with `html`.
  virtual void showPage(const std::string& html) = 0;
  // Runs `script` in the page shown; what it answers is dropped, a failure is logged.
  virtual void runScript(const std::string& script) = 0;
  virtual void setKeyHandler(KeyHandler handler) = 0;
  virtual void setMessageHandler(MessageHandler handler) = 0;
};

}  // namespace platform
