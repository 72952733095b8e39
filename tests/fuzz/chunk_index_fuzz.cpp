// libFuzzer target: a chunk index as a server sends it. What parses must
// write out to the very same bytes, so nothing the parser let through was
// read loosely.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "files/chunk_index.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::optional<ChunkIndex> index = ParseChunkIndex(bytes);
  if (index && WriteChunkIndex(*index) != bytes) {
    std::fprintf(stderr, "a parsed index writes other bytes\n");
    std::abort();
  }
  return 0;
}
