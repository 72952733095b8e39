#include "update/content_range.h"

namespace {

std::optional<std::uint64_t> ParseCount(std::string_view text) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

}  // namespace

std::optional<ContentRange> ParseContentRange(std::string_view header) {
  constexpr std::string_view kUnit = "bytes ";
  if (header.substr(0, kUnit.size()) != kUnit) return std::nullopt;
  header.remove_prefix(kUnit.size());
  std::size_t dash = header.find('-');
  std::size_t slash = header.find('/');
  if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash) {
    return std::nullopt;
  }
  auto first = ParseCount(header.substr(0, dash));
  auto last = ParseCount(header.substr(dash + 1, slash - dash - 1));
  if (!first || !last || *last < *first) return std::nullopt;
  ContentRange range{*first, *last, std::nullopt};
  std::string_view sizeText = header.substr(slash + 1);
  if (sizeText == "*") return range;
  range.size = ParseCount(sizeText);
  if (!range.size || *last >= *range.size) return std::nullopt;
  return range;
}

std::string StrongValidator(const platform::HttpHead& head) {
  if (!head.etag.empty() && head.etag.rfind("W/", 0) != 0) return head.etag;
  return head.lastModified;
}
