#pragma once

#include <memory>
#include <string>

#include "Platform/Core/Geometry.h"
#include "Platform/Desktop/WindowContent.h"
#include "Quellorin/Assistant/MainView.h"
#include "Quellorin/Services/WindowService.h"
#include "UI/Host.h"
#include "UI/HostContent.h"

namespace quellorin {

// The floating window's content: a host showing one MainView. When the window drops it (the
// next opening installs a new one), the view's key monitor and observers go with it and a run
// still going is stopped, so a replaced window never acts on keys or notifications again.
// Made and dropped on the main queue. On a real desktop it shows itself in the window's page.
class AssistantWindowContent final : public ui::HostContent {
 public:
  AssistantWindowContent(const std::string& text, bool autoWork, platform::Size size,
                         MainViewServices services);
  ~AssistantWindowContent() override;

  const std::shared_ptr<MainView>& view() const { return view_; }

  // The factory the window service makes its content with.
  static WindowService::RootViewFactory factory(MainViewServices services);
  // The same over the process-wide services, taken at each opening (so that none of them is
  // made before the first one).
  static WindowService::RootViewFactory factory();

 private:
  std::shared_ptr<MainView> view_;
};

}  // namespace quellorin
