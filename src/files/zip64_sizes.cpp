#include "files/zip64_sizes.h"

#include "files/little_endian.h"

namespace {

constexpr std::uint16_t kZip64BlockId = 0x0001;
constexpr std::uint64_t kSizeMarker = 0xFFFFFFFFu;

}  // namespace

void ApplyZip64Sizes(std::string_view centralExtra, EntrySizes& sizes) {
  std::size_t at = 0;
  while (centralExtra.size() - at >= 4) {
    auto id = static_cast<std::uint16_t>(ReadLittleEndian(centralExtra, at, 2));
    auto length = static_cast<std::size_t>(ReadLittleEndian(centralExtra, at + 2, 2));
    at += 4;
    if (length > centralExtra.size() - at) return;
    if (id == kZip64BlockId) {
      std::string_view block = centralExtra.substr(at, length);
      std::size_t used = 0;
      for (std::uint64_t* size :
           {&sizes.uncompressed, &sizes.compressed, &sizes.localHeaderOffset}) {
        if (*size != kSizeMarker) continue;
        if (block.size() - used < 8) return;
        *size = ReadLittleEndian(block, used, 8);
        used += 8;
      }
      return;
    }
    at += length;
  }
}
