#include "files/content_chunker.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

using GearTable = std::array<std::uint64_t, 256>;

// splitmix64 from a fixed seed: the same table on every compiler and
// platform, without a 2 KiB literal to get wrong.
constexpr GearTable MakeGearTable() {
  GearTable table{};
  std::uint64_t state = 0x71656c74u;  // "qelt"
  for (std::uint64_t& value : table) {
    state += 0x9e3779b97f4a7c15ULL;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    value = z ^ (z >> 31);
  }
  return table;
}

constexpr GearTable kGear = MakeGearTable();

// The top `bits` bits: the hash shifts left once a byte, so its high bits
// depend on the last 64 bytes and its low ones on only the last few.
constexpr std::uint64_t TopBits(int bits) {
  return bits <= 0 ? 0 : ~std::uint64_t{0} << (64 - std::min(bits, 64));
}

int Log2(std::size_t value) {
  int bits = 0;
  while (value > 1) {
    value >>= 1;
    ++bits;
  }
  return bits;
}

}  // namespace

std::size_t ChunkLength(const unsigned char* window, std::size_t size, const ChunkLimits& limits) {
  if (size <= limits.least) return size;
  std::size_t end = std::min(size, limits.most);
  std::size_t normal = std::min(std::max(limits.average, limits.least), end);
  // Two bits either side of the average's: cuts before it are rarer, after
  // it likelier, which narrows the spread of lengths around the average.
  int averageBits = Log2(limits.average);
  std::uint64_t strict = TopBits(averageBits + 2);
  std::uint64_t loose = TopBits(averageBits - 2);
  std::uint64_t hash = 0;
  std::size_t at = limits.least;
  for (; at < normal; ++at) {
    hash = (hash << 1) + kGear[window[at]];
    if ((hash & strict) == 0) return at + 1;
  }
  for (; at < end; ++at) {
    hash = (hash << 1) + kGear[window[at]];
    if ((hash & loose) == 0) return at + 1;
  }
  return end;
}
