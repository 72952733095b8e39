// Counts in HTTP headers (Content-Length, Content-Range, Range).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

// 1 to 19 decimal digits and nothing else, so the value always fits 64 bits;
// none for anything else (signs, spaces, longer numbers).
inline std::optional<std::uint64_t> ParseHttpCount(std::string_view text) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

}  // namespace platform
