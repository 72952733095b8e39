// What a range response says of itself: its Content-Range and the validator
// that ties it to one version of the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/http_transport.h"

// Bytes `first` to `last` of a file, both included.
struct ByteSpan {
  std::uint64_t first = 0;
  std::uint64_t last = 0;
};

struct ContentRange {
  std::uint64_t first = 0;
  // Inclusive.
  std::uint64_t last = 0;
  // None for "*".
  std::optional<std::uint64_t> size;
};

// "bytes FIRST-LAST/SIZE" (SIZE may be "*"); none when malformed, when LAST
// is before FIRST, or when the range runs past SIZE.
std::optional<ContentRange> ParseContentRange(std::string_view header);

// If-Range needs a strong validator: an entity tag that is not weak, else
// the modification date; empty when the response has neither.
std::string StrongValidator(const platform::HttpHead& head);
