// The chunk index published beside a package ("GameClient.zip.chunks"): for
// each entry whose deflate stream is cut at content-defined chunk boundaries,
// where its compressed data starts and each chunk's lengths and SHA-256, so a
// launcher can fetch and inflate single chunks by range.
//
// Little-endian binary:
//   "QELTCHK1", u32 entry count, then per entry:
//     u16 name length, the name bytes (the zip entry's stored name),
//     u64 data offset (the entry's compressed data, just past its local header),
//     u64 uncompressed size, u32 chunk count, then per chunk:
//       u32 uncompressed length, u32 compressed length, 32 bytes SHA-256 of the
//       uncompressed chunk.
// Chunk i's compressed bytes start at the data offset plus the compressed
// lengths of the chunks before it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct IndexedChunk {
  std::uint32_t length = 0;
  std::uint32_t compressedLength = 0;
  std::array<unsigned char, 32> sha256{};
};

struct IndexedEntry {
  std::string name;
  std::uint64_t dataOffset = 0;
  std::uint64_t uncompressedSize = 0;
  std::vector<IndexedChunk> chunks;
};

struct ChunkIndex {
  std::vector<IndexedEntry> entries;
};

// The index's bytes. Names longer than 65535 bytes cannot be zip entry names
// and are not written whole.
std::string WriteChunkIndex(const ChunkIndex& index);

// None for anything malformed: bad magic, truncation, trailing bytes, counts
// the remaining bytes cannot hold (checked before reserving), an empty name,
// an entry without chunks, a chunk length 0 or above ChunkLimits::most, a
// compressed length 0 or more than deflate makes of the chunk, chunk lengths
// not summing to the uncompressed size, two entries of one name, offsets that
// overflow.
std::optional<ChunkIndex> ParseChunkIndex(std::string_view bytes);
