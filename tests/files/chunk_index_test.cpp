#include "files/chunk_index.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>

namespace {

IndexedChunk Chunk(std::uint32_t length, std::uint32_t compressedLength, unsigned char fill) {
  IndexedChunk chunk;
  chunk.length = length;
  chunk.compressedLength = compressedLength;
  chunk.sha256.fill(fill);
  chunk.sha256[31] = 0x80;
  return chunk;
}

constexpr std::string_view kFirstName = "data/\xE5\x9C\xB0\xE5\x9B\xBE.pak";

ChunkIndex SampleIndex() {
  ChunkIndex index;
  index.entries.push_back({std::string(kFirstName),
                           0x123456789ull,
                           200000,
                           {Chunk(70000, 30000, 1), Chunk(130000, 60000, 2)}});
  index.entries.push_back({"b.pak", 90, 5, {Chunk(5, 7, 3)}});
  return index;
}

// Where the fields of the sample's first entry and chunk lie.
constexpr std::size_t kFirstNameLength = 8 + 4;
constexpr std::size_t kFirstDataOffset = kFirstNameLength + 2 + kFirstName.size();
constexpr std::size_t kFirstSize = kFirstDataOffset + 8;
constexpr std::size_t kFirstChunkCount = kFirstSize + 8;
constexpr std::size_t kFirstChunk = kFirstChunkCount + 4;

void Put(std::string& bytes, std::size_t at, std::uint64_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

TEST(ChunkIndex, RoundTrips) {
  ChunkIndex index = SampleIndex();
  std::string bytes = WriteChunkIndex(index);
  EXPECT_EQ(bytes.substr(0, 8), "QELTCHK1");
  EXPECT_EQ(bytes.size(), 12 + (2 + kFirstName.size() + 20 + 2 * 40) + (2 + 5 + 20 + 40));
  std::optional<ChunkIndex> parsed = ParseChunkIndex(bytes);
  ASSERT_TRUE(parsed);
  ASSERT_EQ(parsed->entries.size(), 2u);
  for (std::size_t e = 0; e < 2; ++e) {
    const IndexedEntry& want = index.entries[e];
    const IndexedEntry& got = parsed->entries[e];
    EXPECT_EQ(got.name, want.name);
    EXPECT_EQ(got.dataOffset, want.dataOffset);
    EXPECT_EQ(got.uncompressedSize, want.uncompressedSize);
    ASSERT_EQ(got.chunks.size(), want.chunks.size());
    for (std::size_t c = 0; c < want.chunks.size(); ++c) {
      EXPECT_EQ(got.chunks[c].length, want.chunks[c].length);
      EXPECT_EQ(got.chunks[c].compressedLength, want.chunks[c].compressedLength);
      EXPECT_EQ(got.chunks[c].sha256, want.chunks[c].sha256);
    }
  }
  EXPECT_TRUE(ParseChunkIndex(WriteChunkIndex({})));
}

TEST(ChunkIndex, RefusesWhatIsMalformed) {
  const std::string good = WriteChunkIndex(SampleIndex());
  for (std::size_t size = 0; size < good.size(); ++size) {
    EXPECT_FALSE(ParseChunkIndex(good.substr(0, size))) << "cut at " << size;
  }
  const std::pair<const char*, std::function<void(std::string&)>> damages[] = {
      {"trailing byte", [](std::string& b) { b += '\0'; }},
      {"magic", [](std::string& b) { b[7] = '2'; }},
      {"entry count past the bytes", [](std::string& b) { Put(b, 8, 0xFFFFFFFF, 4); }},
      {"chunk count past the bytes", [](std::string& b) { Put(b, kFirstChunkCount, 1u << 30, 4); }},
      {"no chunks", [](std::string& b) { Put(b, kFirstChunkCount, 0, 4); }},
      {"empty name", [](std::string& b) { Put(b, kFirstNameLength, 0, 2); }},
      {"zero-length chunk", [](std::string& b) { Put(b, kFirstChunk, 0, 4); }},
      {"chunk past the most", [](std::string& b) { Put(b, kFirstChunk, 256 * 1024 + 1, 4); }},
      {"no compressed bytes", [](std::string& b) { Put(b, kFirstChunk + 4, 0, 4); }},
      {"compressed past deflate's bound",
       [](std::string& b) { Put(b, kFirstChunk + 4, 0xFFFFFFFF, 4); }},
      {"sizes disagree", [](std::string& b) { Put(b, kFirstSize, 200001, 8); }},
      {"offset overflows", [](std::string& b) { Put(b, kFirstDataOffset, ~0ull - 1000, 8); }},
  };
  for (const auto& [what, damage] : damages) {
    std::string bytes = good;
    damage(bytes);
    EXPECT_FALSE(ParseChunkIndex(bytes)) << what;
  }
  ChunkIndex twice = SampleIndex();
  twice.entries[1].name = twice.entries[0].name;
  EXPECT_FALSE(ParseChunkIndex(WriteChunkIndex(twice)));
}

}  // namespace
