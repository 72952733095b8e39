// Deflating a large file so that it can be fetched and inflated chunk by
// chunk: the stream is cut at content-defined boundaries with a sync flush at
// each, which ends a chunk's compressed bytes on a byte boundary, so a fresh
// raw inflate of those bytes, given the file's 32 KiB before the chunk as its
// dictionary, yields the chunk. The history is kept, not forgotten as a full
// flush would: that cost some 11 % on text and 1 % on game data, this 0.1 %.
// Any inflater still reads the whole stream as one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <vector>

#include "files/chunk_index.h"

struct ChunkedContent {
  std::uint64_t size = 0;
  // Of all the bytes, as the zip entry records it.
  std::uint32_t crc32 = 0;
  std::vector<IndexedChunk> chunks;
};

// Takes each piece of compressed output in order; false stops the writing.
using CompressedSink = std::function<bool(const unsigned char* data, std::size_t size)>;

// Reads `in` to its end in pieces (never more than about 1 MiB at a time)
// and hands its raw deflate stream to `sink`. None when reading fails, the
// input is empty, or the sink refuses.
std::optional<ChunkedContent> DeflateInChunks(std::istream& in, const CompressedSink& sink);
