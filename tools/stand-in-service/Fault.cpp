#include "Fault.h"

namespace standin {
namespace {

template <typename T>
void readIfPresent(const nlohmann::json& json, const char* name, T& into) {
  if (json.contains(name)) into = json.at(name).get<T>();
}

template <typename T>
void readIfPresent(const nlohmann::json& json, const char* name, std::optional<T>& into) {
  if (json.contains(name)) into = json.at(name).get<T>();
}

}  // namespace

Fault Fault::fromJSON(const nlohmann::json& json) {
  Fault fault;
  readIfPresent(json, "status", fault.status);
  readIfPresent(json, "errorCode", fault.errorCode);
  readIfPresent(json, "body", fault.body);
  readIfPresent(json, "contentType", fault.contentType);
  readIfPresent(json, "lines", fault.lines);
  readIfPresent(json, "disconnectAfterEvents", fault.disconnectAfterEvents);
  readIfPresent(json, "stallAfterEvents", fault.stallAfterEvents);
  readIfPresent(json, "stallMs", fault.stallMs);
  readIfPresent(json, "delayHeadMs", fault.delayHeadMs);
  readIfPresent(json, "noise", fault.noise);
  readIfPresent(json, "invalidUtf8", fault.invalidUtf8);
  readIfPresent(json, "drip", fault.drip);
  readIfPresent(json, "dripDelayMs", fault.dripDelayMs);
  readIfPresent(json, "splitWrites", fault.splitWrites);
  readIfPresent(json, "lockstep", fault.lockstep);
  readIfPresent(json, "bulkBytes", fault.bulkBytes);
  return fault;
}

}  // namespace standin
