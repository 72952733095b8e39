// Entry sizes and offsets past 4 GiB, from the zip64 block of the central
// extra field.
#pragma once

#include <cstdint>
#include <string_view>

struct EntrySizes {
  std::uint64_t uncompressed = 0;
  std::uint64_t compressed = 0;
  std::uint64_t localHeaderOffset = 0;
};

// Replaces each field still at the 32-bit marker 0xFFFFFFFF by the 64-bit
// value of the first zip64 block (uncompressed, compressed, then the offset). Minizip 1.1
// compares with (unsigned long)-1, all ones on 64-bit Linux, and so leaves the
// markers there.
void ApplyZip64Sizes(std::string_view centralExtra, EntrySizes& sizes);
