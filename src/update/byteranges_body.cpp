#include "update/byteranges_body.h"

#include <algorithm>
#include <cctype>

namespace {

// A delimiter or a part's headers never need more; more is a broken body.
constexpr std::size_t kMostBufferedBytes = 8192;

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

std::string_view Trim(std::string_view text) {
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

}  // namespace

std::optional<ByteRangesBody> ByteRangesBody::ForContentType(std::string_view contentType) {
  std::string lower = Lower(contentType);
  if (lower.rfind("multipart/byteranges", 0) != 0) return std::nullopt;
  std::size_t at = lower.find("boundary=");
  if (at == std::string::npos) return std::nullopt;
  std::string_view boundary = contentType.substr(at + 9);
  boundary = Trim(boundary.substr(0, boundary.find(';')));
  if (boundary.size() >= 2 && boundary.front() == '"' && boundary.back() == '"') {
    boundary = boundary.substr(1, boundary.size() - 2);
  }
  if (boundary.empty()) return std::nullopt;
  return ByteRangesBody(std::string(boundary));
}

bool ByteRangesBody::Feed(const char* data, std::size_t size, const PartSink& sink) {
  std::string carried;
  while (size > 0) {
    if (state_ == State::Closed) return true;
    if (state_ == State::Data) {
      std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, remaining_));
      if (!sink(range_, offset_, data, n)) return false;
      offset_ += n;
      remaining_ -= n;
      data += n;
      size -= n;
      if (remaining_ == 0) state_ = State::Delimiter;
      continue;
    }
    buffer_.append(data, size);
    size = 0;
    if (!Parse()) return false;
    // What follows a part's headers is its data.
    if (state_ == State::Data && !buffer_.empty()) {
      carried = std::move(buffer_);
      buffer_.clear();
      data = carried.data();
      size = carried.size();
    }
  }
  return true;
}

bool ByteRangesBody::Parse() {
  for (;;) {
    if (state_ == State::Delimiter) {
      std::size_t at = buffer_.find(delimiter_);
      if (at == std::string::npos || buffer_.size() < at + delimiter_.size() + 2) {
        return buffer_.size() <= kMostBufferedBytes;
      }
      std::string_view after = std::string_view(buffer_).substr(at + delimiter_.size(), 2);
      if (after == "--") {
        state_ = State::Closed;
        buffer_.clear();
        return true;
      }
      if (after != "\r\n") return false;
      buffer_.erase(0, at + delimiter_.size() + 2);
      state_ = State::Headers;
    }
    if (state_ != State::Headers) return true;
    std::size_t end = buffer_.find("\r\n\r\n");
    if (buffer_.rfind("\r\n", 0) == 0) return false;
    if (end == std::string::npos) return buffer_.size() <= kMostBufferedBytes;
    std::optional<ContentRange> range;
    std::string_view headers = std::string_view(buffer_).substr(0, end + 2);
    while (!headers.empty()) {
      std::size_t lineEnd = headers.find("\r\n");
      std::string_view line = headers.substr(0, lineEnd);
      headers.remove_prefix(lineEnd + 2);
      std::size_t colon = line.find(':');
      if (colon != std::string_view::npos &&
          Lower(Trim(line.substr(0, colon))) == "content-range") {
        range = ParseContentRange(Trim(line.substr(colon + 1)));
      }
    }
    if (!range || !range->size) return false;
    range_ = *range;
    offset_ = range->first;
    remaining_ = range->last - range->first + 1;
    buffer_.erase(0, end + 4);
    state_ = State::Data;
    return true;
  }
}
