// The Range header of a request for a file of known size, read as RFC 9110
// asks of a server.
#pragma once

#include <cstdint>
#include <string>
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

// A piece of a response body: literal text (a multipart header) or a span
// of the file.
struct BodySegment {
  std::string text;
  std::uint64_t fileOffset = 0;
  std::uint64_t length = 0;
};

// What a server answers a GET of a file of `size` bytes, of type `type` and
// entity tag `tag`, that carries `range` (the Range field's value, empty when
// absent) and `ifRange`: 200 with the whole file, 206 with one part or a
// multipart/byteranges body, or 416 with no body. A range of another version
// than `tag` gets the whole file.
struct RangeResponse {
  int status = 200;
  // Empty for a 200 or a multipart 206.
  std::string contentRange;
  std::string contentType;
  std::vector<BodySegment> segments;
};
RangeResponse AnswerRangeRequest(std::string_view range, std::string_view ifRange,
                                 const std::string& tag, std::uint64_t size,
                                 const std::string& type);
