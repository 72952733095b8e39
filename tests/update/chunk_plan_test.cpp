// Which chunks of an indexed entry are reused and which byte ranges fetch
// the rest, and when the index and the directory disagree.
#include "update/chunk_plan.h"

#include <gtest/gtest.h>

namespace {

IndexedChunk Chunk(std::uint32_t length, std::uint32_t compressedLength, unsigned char hash) {
  IndexedChunk chunk;
  chunk.length = length;
  chunk.compressedLength = compressedLength;
  chunk.sha256.fill(hash);
  return chunk;
}

// "a.pak" at 1000, its data from 1035 to 1334, the next entry at 1400.
ZipDirectoryEntry Entry() {
  ZipDirectoryEntry entry;
  entry.name = "a.pak";
  entry.method = 8;
  entry.localHeaderOffset = 1000;
  entry.compressedSize = 300;
  entry.uncompressedSize = 70000;
  return entry;
}

IndexedEntry Indexed() {
  return {"a.pak", 1035, 70000, {Chunk(20000, 100, 1), Chunk(30000, 120, 2), Chunk(20000, 80, 3)}};
}

constexpr ByteSpan kEntrySpan{1000, 1399};

TEST(ChunkPlan, AnIndexThatDisagreesWithTheDirectoryIsNotUsed) {
  EXPECT_EQ(IndexDisagreement(Indexed(), Entry(), kEntrySpan), L"");
  IndexedEntry inHeader = Indexed();
  inHeader.dataOffset = 1030;
  EXPECT_NE(IndexDisagreement(inHeader, Entry(), kEntrySpan), L"");
  IndexedEntry pastEntry = Indexed();
  pastEntry.dataOffset = 1101;
  EXPECT_NE(IndexDisagreement(pastEntry, Entry(), kEntrySpan), L"");
  IndexedEntry shorter = Indexed();
  shorter.chunks[1].compressedLength = 119;
  EXPECT_NE(IndexDisagreement(shorter, Entry(), kEntrySpan), L"");
  ZipDirectoryEntry larger = Entry();
  larger.uncompressedSize = 70001;
  EXPECT_NE(IndexDisagreement(Indexed(), larger, kEntrySpan), L"");
  ZipDirectoryEntry stored = Entry();
  stored.method = 0;
  EXPECT_NE(IndexDisagreement(Indexed(), stored, kEntrySpan), L"");
}

TEST(ChunkPlan, ChunksTheInstalledFilesHoldAreReusedTheOthersFetched) {
  // Another file holds chunk 1 and a chunk of chunk 3's hash but of
  // another length.
  InstalledChunks installed;
  installed.AddListed(L"other.pak",
                      {"other.pak", 0, 60000, {Chunk(20000, 1, 1), Chunk(40000, 1, 3)}});
  ChunkPlan plan = PlanChunks(Indexed(), Entry(), installed);
  ASSERT_EQ(plan.reused.size(), 3u);
  ASSERT_NE(plan.reused[0], nullptr);
  EXPECT_EQ(installed.Paths()[plan.reused[0]->file], L"other.pak");
  EXPECT_EQ(plan.reused[0]->offset, 0u);
  EXPECT_EQ(plan.reused[1], nullptr);
  EXPECT_EQ(plan.reused[2], nullptr);
  EXPECT_EQ(plan.reusedCount, 1);
  EXPECT_EQ(plan.fetchedCount, 2);
  // The local header, then chunks 2 and 3's compressed bytes.
  ASSERT_EQ(plan.spans.size(), 3u);
  EXPECT_EQ(plan.spans[0].first, 1000u);
  EXPECT_EQ(plan.spans[0].last, 1034u);
  EXPECT_EQ(plan.spans[1].first, 1135u);
  EXPECT_EQ(plan.spans[1].last, 1254u);
  EXPECT_EQ(plan.spans[2].first, 1255u);
  EXPECT_EQ(plan.spans[2].last, 1334u);
}

}  // namespace
