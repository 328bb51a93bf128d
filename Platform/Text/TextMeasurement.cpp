#include "Platform/Text/TextMeasurement.h"

#include <memory>

#include "Platform/Text/LayoutManager.h"
#include "Platform/Text/TextStorage.h"

namespace platform {

Size measuredSize(const AttributedString& text) {
  TextStorage storage(text);
  auto layoutManager = std::make_shared<LayoutManager>();
  auto container = std::make_shared<TextContainer>();
  container->setLineFragmentPadding(0);
  layoutManager->addTextContainer(container);
  storage.addLayoutManager(layoutManager);
  Rect used = layoutManager->usedRect();
  const auto& fragments = layoutManager->lineFragments();
  double height = fragments.empty() ? 0 : fragments.back().rect.maxY();
  return {used.width + used.x, height};
}

}  // namespace platform
