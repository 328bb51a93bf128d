#include "Quellorin/Assistant/AssistantWindowContent.h"

#include <utility>

namespace quellorin {

AssistantWindowContent::AssistantWindowContent(const std::string& text, bool autoWork, platform::Size size,
                                               MainViewServices services)
    : view_(std::make_shared<MainView>(text, autoWork, size, std::move(services))) {
  setHost(ui::Host::make(view_, ui::Host::Options{.width = size.width}),
          {.title = "Quellorin", .measuredIds = {"answerPanel", "promptBar"}});
}

AssistantWindowContent::~AssistantWindowContent() { view_->tearDown(); }

WindowService::RootViewFactory AssistantWindowContent::factory(MainViewServices services) {
  return [services](const std::string& text, bool autoWork, platform::Size size) {
    return std::make_shared<AssistantWindowContent>(text, autoWork, size, services);
  };
}

WindowService::RootViewFactory AssistantWindowContent::factory() {
  return [](const std::string& text, bool autoWork, platform::Size size) {
    return std::make_shared<AssistantWindowContent>(text, autoWork, size, MainViewServices::shared());
  };
}

}  // namespace quellorin
