// Little-endian integers in zip records; the caller checks the bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The `width` bytes (at most 8) at `at`.
inline std::uint64_t ReadLittleEndian(std::string_view bytes, std::size_t at, std::size_t width) {
  std::uint64_t value = 0;
  for (std::size_t i = width; i > 0; --i) {
    value = value << 8 | static_cast<unsigned char>(bytes[at + i - 1]);
  }
  return value;
}
