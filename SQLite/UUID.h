#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sql {

// A universally unique identifier, stored in the database as its canonical text.
struct UUID {
  std::array<std::uint8_t, 16> bytes{};

  // Parses the canonical form 8-4-4-4-12 of hexadecimal digits (either case); absent otherwise.
  static std::optional<UUID> fromString(std::string_view text);
  // The canonical form in upper-case hexadecimal, e.g. E621E1F8-C36C-495A-93FC-0C247A3E6E5F.
  std::string uuidString() const;

  bool operator==(const UUID&) const = default;
};

}  // namespace sql
