#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quellorin {

// One prompt text. Plain value.
struct Prompt {
  // Row id in "prompts"; absent for a prompt that was not read from the store.
  std::optional<std::int64_t> id;
  std::string prompt;

  bool operator==(const Prompt&) const = default;
};

}  // namespace quellorin
