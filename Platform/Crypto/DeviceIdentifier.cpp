#include "Platform/Crypto/DeviceIdentifier.h"

#include <fstream>
#include <iterator>
#include <optional>

namespace platform {
namespace {

constexpr const char* kWhiteSpace = " \t\r\n";

// The trimmed first line of `path`, or nullopt when unreadable or blank.
std::optional<std::string> readTrimmedFirstLine(const std::filesystem::path& path) {
  std::ifstream file(path);
  if (!file) return std::nullopt;
  std::string line;
  if (!std::getline(file, line)) return std::nullopt;
  const auto first = line.find_first_not_of(kWhiteSpace);
  if (first == std::string::npos) return std::nullopt;
  const auto last = line.find_last_not_of(kWhiteSpace);
  return line.substr(first, last - first + 1);
}

}  // namespace

std::string readDeviceIdentifier(const DeviceIdentifierSources& sources) {
  if (auto serial = readTrimmedFirstLine(sources.productSerial)) return *serial;
  if (auto machine = readTrimmedFirstLine(sources.machineId)) return *machine;
  return "UnknownDeviceIdentifier";
}

}  // namespace platform
