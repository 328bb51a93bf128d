#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Quellorin/Assistant/Job.h"

namespace quellorin {

// One run of the assistant window. Plain value.
struct Conversation {
  // Row id in "conversations"; absent until the row is made.
  std::optional<std::int64_t> id;
  // The name shown for the run; a pipeline saved from the conversation takes it.
  std::string name;
  // The pipeline that was run, when there is one.
  std::optional<std::int64_t> pipelineId;
  // In the order they were made.
  std::vector<Job> jobs;
};

}  // namespace quellorin
