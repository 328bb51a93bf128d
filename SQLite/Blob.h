#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sql {

// A run of bytes stored in the database as a BLOB. A plain value: copies own their bytes.
struct Blob {
  std::vector<std::uint8_t> bytes;

  Blob() = default;
  explicit Blob(std::vector<std::uint8_t> contents) : bytes(std::move(contents)) {}
  // Copies `length` bytes starting at `data`; a length of 0 gives an empty blob (and `data`
  // may then be null).
  Blob(const void* data, std::size_t length);

  // The bytes as lower-case hexadecimal, two digits per byte, no separators.
  std::string toHex() const;
  // The blob as an SQL literal: x'<toHex()>'.
  std::string description() const;

  bool operator==(const Blob&) const = default;
};

}  // namespace sql
