#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quellorin {

// The credential key shared with the service, in Base64 (44 characters, decoding to the
// 32-byte AES key), and the fixed start of every credential's plaintext: the key text and "_".
extern const std::string_view kCredentialKeyText;
extern const std::string_view kCredentialPrefix;

// The machine's identity (see platform::readDeviceIdentifier): the DMI product serial, else
// the machine id, else "UnknownDeviceIdentifier". Reads it anew each call; any thread.
std::string deviceIdentifier();

// The device credential sent when nobody is signed in: Base64 (no line breaks) of the
// AES-256-ECB/PKCS#7 ciphertext of kCredentialPrefix followed by the decimal Unix time in
// whole seconds of the installed environment's clock. The empty text when it cannot be made.
// Any thread; no state.
std::string makeEncryptedString();
// The same for a given time, in whole seconds since 1970.
std::string makeEncryptedString(std::int64_t unixSeconds);

// The cipher step: the ciphertext of `data` under the 32-byte `key`, or no bytes when the
// cipher fails.
std::string encryptAES(std::string_view data, std::string_view key);

}  // namespace quellorin
