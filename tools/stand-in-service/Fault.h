#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace standin {

// How the stand-in answers one request. Tests queue faults per path through
// POST /control/faults?path=...; a request with no queued fault gets the normal answer.
// Every field is optional in the JSON form; the names below are its member names.
struct Fault {
  int status = 200;                                  // "status": the status to answer with
  std::optional<int> errorCode;                      // "errorCode": 403 body {"errorCode": n}
  std::optional<std::string> body;                   // "body": a raw body replacing the normal one
  std::optional<std::string> contentType;            // "contentType": of a 200 answer, instead of
                                                     // "text/event-stream"
  std::optional<std::vector<std::string>> lines;     // "lines": raw event-stream lines, each sent + "\n"
  std::optional<std::size_t> disconnectAfterEvents;  // "disconnectAfterEvents": drop the connection
  std::optional<std::size_t> stallAfterEvents;       // "stallAfterEvents": then send nothing for stallMs
  int stallMs = 5000;                                // "stallMs"
  int delayHeadMs = 0;                               // "delayHeadMs": wait before answering at all
  bool noise = false;                                // "noise": junk lines around every event
  bool invalidUtf8 = false;                          // "invalidUtf8": a message with a raw 0xFF byte
  bool drip = false;                                 // "drip": one byte per network write
  int dripDelayMs = 0;                               // "dripDelayMs": pause between dripped bytes
  bool splitWrites = false;                          // "splitWrites": each line in two writes
  bool lockstep = false;                             // "lockstep": wait for POST /control/release per event
  std::optional<std::size_t> bulkBytes;              // "bulkBytes": a long stream of message events

  static Fault fromJSON(const nlohmann::json& json);
};

}  // namespace standin
