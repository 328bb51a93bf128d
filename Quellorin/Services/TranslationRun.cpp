#include "Quellorin/Services/TranslationRun.h"

#include <utility>

#include "Platform/Desktop/AccessibilityElement.h"
#include "Platform/Core/Log.h"
#include "Quellorin/Services/TextHandlingService.h"

namespace quellorin {

TranslationRun::TranslationRun(std::shared_ptr<TextHandlingService> textHandling, CaretLine line)
    : textHandling_(std::move(textHandling)), line_(std::move(line)) {}

void TranslationRun::handle(const StreamEvent& event) {
  std::lock_guard lock(mutex_);
  if (event.event == "message") {
    const auto typed = textHandling_->typeText(event.message);
    typedUnits_ += static_cast<std::int64_t>(typed);
    if (typed > 0) endedInError_ = false;
  } else if (event.event == "error") {
    endedInError_ = true;
    if (streamEnded_) restoreLineIfBroken();
  }
}

void TranslationRun::streamEnded() {
  std::lock_guard lock(mutex_);
  streamEnded_ = true;
  restoreLineIfBroken();
}

bool TranslationRun::restoredLine() const {
  std::lock_guard lock(mutex_);
  return restored_;
}

void TranslationRun::restoreLineIfBroken() {
  if (!endedInError_ || typedUnits_ == 0 || restored_) return;
  restored_ = true;
  line_.element->setAttributeValue("AXSelectedTextRange",
                                   platform::AXRange{line_.range.location, typedUnits_});
  textHandling_->typeText(line_.text);
  platform::log("翻译中断，已恢复原文");
}

}  // namespace quellorin
