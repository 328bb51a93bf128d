#include "Quellorin/Shell/ServiceAddress.h"

#include <cstdlib>

namespace quellorin {
namespace {

constexpr const char* kProductionServiceURL = "https://service.quellorin.app";

}  // namespace

std::string serviceBaseURL() {
  const char* configured = std::getenv("QUELLORIN_SERVICE_URL");
  std::string base = (configured != nullptr && configured[0] != '\0') ? configured : kProductionServiceURL;
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base;
}

}  // namespace quellorin
