#include "UI/HostDisplay.h"

#include "Platform/Core/Log.h"
#include "UI/HTMLRenderer.h"
#include "UI/Host.h"

namespace ui {

HostDisplay::HostDisplay(const std::shared_ptr<Host>& host, std::shared_ptr<platform::PageSurface> surface,
                         Options options)
    : host_(host), surface_(std::move(surface)), options_(std::move(options)) {}

std::shared_ptr<HostDisplay> HostDisplay::make(const std::shared_ptr<Host>& host,
                                               std::shared_ptr<platform::PageSurface> surface,
                                               Options options) {
  std::shared_ptr<HostDisplay> display(new HostDisplay(host, std::move(surface), std::move(options)));
  std::weak_ptr<HostDisplay> weak = display;
  display->surface_->setMessageHandler([weak](const std::string& json) {
    if (const auto self = weak.lock()) self->receive(json);
  });
  display->surface_->setKeyHandler([weak](const platform::PageSurface::Key& key) {
    const auto self = weak.lock();
    return self && self->key(key);
  });
  host->setRenderObserver([weak] {
    if (const auto self = weak.lock()) self->refresh();
  });
  display->showWholePage();
  return display;
}

HostDisplay::~HostDisplay() {
  surface_->setMessageHandler(nullptr);
  surface_->setKeyHandler(nullptr);
  if (const auto host = host_.lock()) host->setRenderObserver(nullptr);
}

void HostDisplay::showWholePage() {
  const auto host = host_.lock();
  if (!host) return;
  shown_ = snapshotPage(host->tree());
  ready_ = false;
  std::string page = renderHTML(
      host->tree(),
      {.colorScheme = host->options().colorScheme, .width = host->options().width, .title = options_.title});
  const std::string script = "<script>" + pageBridgeScript(options_.measuredIds) + "</script>";
  const auto bodyEnd = page.rfind("</body>");
  page.insert(bodyEnd == std::string::npos ? page.size() : bodyEnd, script);
  surface_->showPage(page);
}

void HostDisplay::refresh() {
  if (!ready_) return;  // the page takes the latest tree when it is ready
  const auto host = host_.lock();
  if (!host) return;
  PageSnapshot now = snapshotPage(host->tree());
  const auto updates = diffPages(shown_, now);
  if (!updates) {
    showWholePage();
    return;
  }
  if (updates->empty() && now.clickable == shown_.clickable && now.hoverable == shown_.hoverable) return;
  surface_->runScript(pageUpdateScript(*updates, now));
  ++updatesSent_;
  shown_ = std::move(now);
}

void HostDisplay::receive(const std::string& json) {
  const auto message = parsePageMessage(json);
  if (!message) {
    platform::log("view page: a message that does not read: " + json.substr(0, 200));
    return;
  }
  const auto host = host_.lock();
  if (!host) return;
  switch (message->kind) {
    case PageMessage::Kind::ready: {
      ready_ = true;
      // The tree may have moved on while the page loaded; the page also learns its ids here.
      PageSnapshot now = snapshotPage(host->tree());
      const auto updates = diffPages(shown_, now);
      if (!updates) {
        showWholePage();
        return;
      }
      surface_->runScript(pageUpdateScript(*updates, now));
      ++updatesSent_;
      shown_ = std::move(now);
      return;
    }
    case PageMessage::Kind::click:
      host->click(message->id);
      return;
    case PageMessage::Kind::hover:
      host->hover(message->id, message->inside);
      return;
    case PageMessage::Kind::input:
      host->setEditorText(message->id, message->value);
      return;
    case PageMessage::Kind::focus:
      host->focus(message->id);
      return;
    case PageMessage::Kind::select:
      host->select(message->id, message->value);
      return;
    case PageMessage::Kind::height:
      host->setDisplayedHeight(message->id, message->height);
      return;
  }
}

bool HostDisplay::key(const platform::PageSurface::Key& key) {
  const auto host = host_.lock();
  if (!host) return false;
  KeyEvent event;
  event.keyCode = key.keyCode;
  event.characters = key.characters;
  event.charactersIgnoringModifiers = key.charactersIgnoringModifiers;
  event.modifierFlags = key.modifierFlags;
  return host->keyAheadOfDisplay(event) != KeyRoute::unhandled;
}

}  // namespace ui
