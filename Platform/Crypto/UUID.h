#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A 128-bit universally unique identifier. random() makes a version-4 (random) one from the
// secure generator; string() gives the usual 36-character upper-case form
// ("E621E1F8-C36C-495A-93FC-0C247A3E6E5F").
class UUID {
 public:
  static UUID random();
  // Parses the 36-character form in either letter case; nullopt for anything else.
  static std::optional<UUID> parse(std::string_view text);

  std::string string() const;
  const std::array<std::uint8_t, 16>& bytes() const { return bytes_; }

  friend bool operator==(const UUID&, const UUID&) = default;

 private:
  explicit UUID(const std::array<std::uint8_t, 16>& bytes) : bytes_(bytes) {}
  std::array<std::uint8_t, 16> bytes_;
};

}  // namespace platform
