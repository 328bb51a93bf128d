#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "SQLite/DateFormatter.h"

namespace quellorin {

// One request of a run and its answer. Plain value.
struct Job {
  // Row id in "jobs"; absent for the jobs made in memory during a run.
  std::optional<std::int64_t> id;
  // The text sent.
  std::string content;
  // The instruction sent with it.
  std::string prompt;
  // The answer: empty when the job is made, set when its step's answer has ended.
  std::string result;
  // When the job was made, to the millisecond.
  sql::Date executedAt{};
  // The conversation the job belongs to.
  std::int64_t conversationId = 0;
};

}  // namespace quellorin
