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
