#pragma once

#include <ostream>
#include <string>

namespace quellorin {

// One event of an answer, as the service client hands it to its caller: `event` is the kind
// ("message", "workflow_started", "workflow_finished", "error"), `message` its text (the
// answer piece of a "message" event).
struct StreamEvent {
  std::string event;
  std::string message;

  friend bool operator==(const StreamEvent&, const StreamEvent&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const StreamEvent& event) {
  return out << "{" << event.event << ": " << event.message << "}";
}

}  // namespace quellorin
