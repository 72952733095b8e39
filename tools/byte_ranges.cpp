#include "byte_ranges.h"

#include <algorithm>
#include <optional>

#include "platform/http_count.h"

namespace {

// More ranges than this are answered with the whole file: a request for
// thousands of tiny parts only costs the server.
constexpr std::size_t kMostRanges = 64;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// One "first-last", "first-" or "-suffix"; none when malformed. A range that
// lies past the end comes back with first >= size.
std::optional<ByteRange> ParseOne(std::string_view item, std::uint64_t size) {
  std::size_t dash = item.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  std::string_view head = item.substr(0, dash);
  std::string_view tail = item.substr(dash + 1);
  if (head.empty()) {
    auto suffix = platform::ParseHttpCount(tail);
    if (!suffix) return std::nullopt;
    if (*suffix == 0 || size == 0) return ByteRange{size, size};
    return ByteRange{size - std::min(*suffix, size), size - 1};
  }
  auto first = platform::ParseHttpCount(head);
  if (!first) return std::nullopt;
  std::uint64_t last = size == 0 ? 0 : size - 1;
  if (!tail.empty()) {
    auto given = platform::ParseHttpCount(tail);
    if (!given || *given < *first) return std::nullopt;
    last = std::min(*given, last);
  }
  return ByteRange{*first, last};
}

}  // namespace

RangeAnswer AnswerRange(std::string_view header, std::uint64_t size) {
  RangeAnswer answer;
  header = Trim(header);
  constexpr std::string_view kUnit = "bytes=";
  if (header.substr(0, kUnit.size()) != kUnit) return answer;
  header.remove_prefix(kUnit.size());
  std::vector<ByteRange> satisfiable;
  std::size_t count = 0;
  while (true) {
    std::size_t comma = header.find(',');
    std::string_view item = Trim(header.substr(0, comma));
    if (!item.empty()) {
      auto range = ParseOne(item, size);
      if (!range || ++count > kMostRanges) return answer;
      if (range->first < size) satisfiable.push_back(*range);
    }
    if (comma == std::string_view::npos) break;
    header.remove_prefix(comma + 1);
  }
  if (count == 0) return answer;
  if (satisfiable.empty()) {
    answer.kind = RangeAnswer::Kind::Unsatisfiable;
    return answer;
  }
  std::sort(satisfiable.begin(), satisfiable.end(),
            [](const ByteRange& a, const ByteRange& b) { return a.first < b.first; });
  for (const ByteRange& range : satisfiable) {
    if (!answer.parts.empty() && range.first <= answer.parts.back().last + 1) {
      answer.parts.back().last = std::max(answer.parts.back().last, range.last);
    } else {
      answer.parts.push_back(range);
    }
  }
  answer.kind = RangeAnswer::Kind::Parts;
  return answer;
}

namespace {

std::string ContentRange(std::uint64_t first, std::uint64_t last, std::uint64_t size) {
  return "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" + std::to_string(size);
}

}  // namespace

RangeResponse AnswerRangeRequest(std::string_view range, std::string_view ifRange,
                                 const std::string& tag, std::uint64_t size,
                                 const std::string& type) {
  RangeAnswer answer;
  // A range of another version of the file would be spliced into the wrong bytes.
  if (!range.empty() && (ifRange.empty() || ifRange == tag)) answer = AnswerRange(range, size);
  RangeResponse reply;
  reply.contentType = type;
  switch (answer.kind) {
    case RangeAnswer::Kind::Unsatisfiable:
      reply.status = 416;
      reply.contentRange = "bytes */" + std::to_string(size);
      return reply;
    case RangeAnswer::Kind::Whole:
      reply.segments = {{"", 0, size}};
      return reply;
    case RangeAnswer::Kind::Parts:
      break;
  }
  reply.status = 206;
  if (answer.parts.size() == 1) {
    const ByteRange& part = answer.parts.front();
    reply.contentRange = ContentRange(part.first, part.last, size);
    reply.segments = {{"", part.first, part.last - part.first + 1}};
    return reply;
  }
  std::string boundary = "qelt-byteranges-";
  for (char c : tag) {
    if (c != '"') boundary += c;
  }
  for (const ByteRange& part : answer.parts) {
    std::string header = "\r\n--" + boundary + "\r\nContent-Type: " + type +
                         "\r\nContent-Range: " + ContentRange(part.first, part.last, size) +
                         "\r\n\r\n";
    reply.segments.push_back({header, 0, header.size()});
    reply.segments.push_back({"", part.first, part.last - part.first + 1});
  }
  std::string closing = "\r\n--" + boundary + "--\r\n";
  reply.segments.push_back({closing, 0, closing.size()});
  reply.contentType = "multipart/byteranges; boundary=" + boundary;
  return reply;
}
