#include "Platform/Text/GraphicsContext.h"

namespace platform {

namespace {
thread_local GraphicsContext* currentContext = nullptr;
}  // namespace

GraphicsContext* GraphicsContext::current() { return currentContext; }

GraphicsContext::Current::Current(GraphicsContext* context) : previous_(currentContext) {
  currentContext = context;
}

GraphicsContext::Current::~Current() { currentContext = previous_; }

}  // namespace platform
