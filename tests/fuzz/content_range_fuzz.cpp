// libFuzzer target: a Content-Range header as a server sends it. A range
// that parses must be in order and inside its size, and read back the same
// once written plainly; a count must be the digits' value.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/http_count.h"
#include "update/content_range.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

void CheckCount(std::string_view text) {
  std::optional<std::uint64_t> count = platform::ParseHttpCount(text);
  if (!count) return;
  std::uint64_t expected = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), expected);
  if (error != std::errc() || end != text.data() + text.size() || expected != *count) {
    Fail("a count is not its digits' value");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view header(reinterpret_cast<const char*>(data), size);
  CheckCount(header);
  std::optional<ContentRange> range = ParseContentRange(header);
  if (!range) return 0;
  if (range->last < range->first || (range->size && range->last >= *range->size)) {
    Fail("a range out of order or past its size");
  }
  std::string plain = "bytes " + std::to_string(range->first) + "-" + std::to_string(range->last) +
                      "/" + (range->size ? std::to_string(*range->size) : "*");
  std::optional<ContentRange> again = ParseContentRange(plain);
  if (!again || again->first != range->first || again->last != range->last ||
      again->size != range->size) {
    Fail("a range does not read back");
  }
  return 0;
}
