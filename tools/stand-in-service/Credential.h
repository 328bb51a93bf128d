#pragma once

#include <string>

namespace standin {

// What the service makes of a request's credential headers, for the request log:
// "bearer:<token>", "device:<unix seconds>" when "X-Encrypted-String" decrypts to the shared
// prefix followed by digits, "device-invalid" when it does not, "none" without either header.
std::string credentialVerdict(const std::string* authorization, const std::string* encrypted);

}  // namespace standin
