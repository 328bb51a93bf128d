#pragma once

#include <filesystem>
#include <string>

namespace platform {

// Where the machine's identity is read from, in order of preference. Tests point these at
// files of their own.
struct DeviceIdentifierSources {
  std::filesystem::path productSerial = "/sys/class/dmi/id/product_serial";
  std::filesystem::path machineId = "/etc/machine-id";
};

// The text that identifies this machine: the DMI product serial when it is readable and not
// blank, else the systemd machine id, else "UnknownDeviceIdentifier". Surrounding white
// space is trimmed. Reads the files anew on every call; never fails.
std::string readDeviceIdentifier(const DeviceIdentifierSources& sources = {});

}  // namespace platform
