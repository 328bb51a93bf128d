#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Quellorin/Assistant/Prompt.h"

namespace quellorin {

// A named, ordered list of prompts. Plain value; changing it changes nothing in the store.
struct Pipeline {
  // Row id in "pipelines".
  std::optional<std::int64_t> id;
  std::string name;
  // In the order they are run.
  std::vector<Prompt> prompts;

  bool operator==(const Pipeline&) const = default;
};

}  // namespace quellorin
