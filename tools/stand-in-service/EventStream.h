#pragma once

#include "Fault.h"

#include <string>
#include <vector>

namespace standin {

// The deterministic answer to a conversation: "You said: " and the last user message.
std::string replyTo(const std::string& lastUserMessage);

// The event lines of an answer, each ending in "\n": "workflow_started", the reply cut into
// "message" events of a few characters, "workflow_finished"; each event line is followed by
// the blank line of the event-stream format (its own unit, not counted as an event).
std::vector<std::string> answerLines(const std::string& reply);

// Junk that a reader must skip: blank, comment and field lines, wrong prefixes, bad JSON,
// invalid UTF-8 and events of unknown kinds.
std::vector<std::string> noiseLines();

// One block of whole "message" event lines, about `size` bytes; `events` receives their count.
std::string bulkBlock(std::size_t size, std::size_t& events);

}  // namespace standin
