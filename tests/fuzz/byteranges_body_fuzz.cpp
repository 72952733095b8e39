// libFuzzer target: the first byte sets how the body is cut, the text up to
// the first line feed is the Content-Type, the rest the body. Every byte a
// part delivers must lie inside its Content-Range, and a body read in pieces
// must deliver what the whole body delivers.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "update/byteranges_body.h"

namespace {

struct Reading {
  bool ok = false;
  bool complete = false;
  std::string bytes;
  std::vector<std::uint64_t> offsets;
};

Reading Read(std::string_view contentType, std::string_view body, std::size_t piece) {
  Reading reading;
  std::optional<ByteRangesBody> parser = ByteRangesBody::ForContentType(contentType);
  if (!parser) return reading;
  auto sink = [&reading](const ContentRange& range, std::uint64_t offset, const char* data,
                         std::size_t size) {
    if (!range.size || range.last < range.first || range.last >= *range.size ||
        offset < range.first || size > range.last - offset + 1) {
      std::fprintf(stderr, "part bytes outside their range\n");
      std::abort();
    }
    reading.bytes.append(data, size);
    for (std::size_t i = 0; i < size; ++i) reading.offsets.push_back(offset + i);
    return true;
  };
  reading.ok = true;
  for (std::size_t at = 0; reading.ok && at < body.size(); at += piece) {
    std::string_view chunk = body.substr(at, piece);
    reading.ok = parser->Feed(chunk.data(), chunk.size(), sink);
  }
  reading.complete = reading.ok && parser->Complete();
  return reading;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::size_t piece = data[0] % 64 + 1;
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  std::size_t lineEnd = text.find('\n');
  if (lineEnd == std::string_view::npos) return 0;
  std::string_view contentType = text.substr(0, lineEnd);
  std::string_view body = text.substr(lineEnd + 1);
  Reading whole = Read(contentType, body, body.size() + 1);
  Reading pieces = Read(contentType, body, piece);
  if (whole.ok && pieces.ok &&
      (whole.bytes != pieces.bytes || whole.offsets != pieces.offsets ||
       whole.complete != pieces.complete)) {
    std::fprintf(stderr, "the body reads differently in pieces of %zu\n", piece);
    std::abort();
  }
  return 0;
}
