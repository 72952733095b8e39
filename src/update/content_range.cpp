#include "update/content_range.h"

#include "platform/http_count.h"

std::optional<ContentRange> ParseContentRange(std::string_view header) {
  constexpr std::string_view kUnit = "bytes ";
  if (header.substr(0, kUnit.size()) != kUnit) return std::nullopt;
  header.remove_prefix(kUnit.size());
  std::size_t dash = header.find('-');
  std::size_t slash = header.find('/');
  if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash) {
    return std::nullopt;
  }
  auto first = platform::ParseHttpCount(header.substr(0, dash));
  auto last = platform::ParseHttpCount(header.substr(dash + 1, slash - dash - 1));
  if (!first || !last || *last < *first) return std::nullopt;
  ContentRange range{*first, *last, std::nullopt};
  std::string_view sizeText = header.substr(slash + 1);
  if (sizeText == "*") return range;
  range.size = platform::ParseHttpCount(sizeText);
  if (!range.size || *last >= *range.size) return std::nullopt;
  return range;
}

std::string StrongValidator(const platform::HttpHead& head) {
  if (!head.etag.empty() && head.etag.rfind("W/", 0) != 0) return head.etag;
  return head.lastModified;
}
