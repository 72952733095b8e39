// The body of a multipart/byteranges answer, read as it arrives: several
// ranges of one file in one response, each part with its Content-Range.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "update/content_range.h"

class ByteRangesBody {
 public:
  // Hears each part's bytes at their offset in the file, with the part's
  // Content-Range.
  using PartSink = std::function<bool(const ContentRange& range, std::uint64_t offset,
                                      const char* data, std::size_t size)>;

  // None unless `contentType` is multipart/byteranges with a boundary.
  static std::optional<ByteRangesBody> ForContentType(std::string_view contentType);

  // False on a malformed body, or when `sink` refuses.
  bool Feed(const char* data, std::size_t size, const PartSink& sink);
  // The closing delimiter has come.
  bool Complete() const { return state_ == State::Closed; }

 private:
  enum class State { Delimiter, Headers, Data, Closed };

  explicit ByteRangesBody(std::string boundary) : delimiter_("--" + std::move(boundary)) {}
  // Moves past delimiters and part headers in `buffer_` as far as it goes.
  bool Parse();

  std::string delimiter_;
  State state_ = State::Delimiter;
  std::string buffer_;
  ContentRange range_;
  std::uint64_t offset_ = 0;
  std::uint64_t remaining_ = 0;
};
