#pragma once

namespace platform {

enum class TextAlignment { left, right, center, justified, natural };

}  // namespace platform
