// The Range header of a request for a file of known size, read as RFC 9110
// asks of a server.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

struct ByteRange {
  std::uint64_t first = 0;
  // Inclusive.
  std::uint64_t last = 0;
};

struct RangeAnswer {
  enum class Kind {
    // No usable Range header: the whole file, 200.
    Whole,
    // The ranges, in order, overlapping or adjacent ones merged: 206.
    Parts,
    // No range starts within the file: 416 with "bytes */size".
    Unsatisfiable,
  };
  Kind kind = Kind::Whole;
  std::vector<ByteRange> parts;
};

// `header` is the Range field's value; an empty or malformed one, or one of
// another unit, asks for the whole file.
RangeAnswer AnswerRange(std::string_view header, std::uint64_t size);
