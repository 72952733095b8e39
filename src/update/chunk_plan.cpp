#include "update/chunk_plan.h"

namespace {

constexpr std::uint16_t kDeflated = 8;
// The fixed part of a local header, before its name and extra field.
constexpr std::uint64_t kLocalHeaderBytes = 30;

}  // namespace

std::wstring IndexDisagreement(const IndexedEntry& indexed, const ZipDirectoryEntry& entry,
                               const ByteSpan& entrySpan) {
  if (entry.method != kDeflated) return L"not deflated";
  if (indexed.uncompressedSize != entry.uncompressedSize) return L"the index says another size";
  if (indexed.dataOffset < entry.localHeaderOffset + kLocalHeaderBytes + entry.name.size() ||
      indexed.dataOffset > entrySpan.last) {
    return L"the index puts the data outside the entry";
  }
  std::uint64_t compressed = 0;
  for (const IndexedChunk& chunk : indexed.chunks) compressed += chunk.compressedLength;
  if (compressed != entry.compressedSize)
    return L"the index's compressed lengths are not the entry's";
  if (compressed > entrySpan.last + 1 - indexed.dataOffset) {
    return L"the index puts the data outside the entry";
  }
  return {};
}

ChunkPlan PlanChunks(const IndexedEntry& indexed, const ZipDirectoryEntry& entry,
                     const InstalledChunks& installed) {
  ChunkPlan plan;
  plan.spans.push_back({entry.localHeaderOffset, indexed.dataOffset - 1});
  std::uint64_t at = indexed.dataOffset;
  for (const IndexedChunk& chunk : indexed.chunks) {
    const ChunkPlace* place = installed.Find(chunk.sha256);
    if (place != nullptr && place->length != chunk.length) place = nullptr;
    plan.reused.push_back(place);
    if (place != nullptr) {
      ++plan.reusedCount;
    } else {
      ++plan.fetchedCount;
      plan.spans.push_back({at, at + chunk.compressedLength - 1});
    }
    at += chunk.compressedLength;
  }
  return plan;
}
