// Which entries of a new package to fetch and the byte ranges that hold them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "files/zip_directory.h"
#include "update/content_range.h"

struct DeltaPlan {
  // Directory indices of the entries to fetch and unpack, in order.
  std::vector<int> fetched;
  // Those fetched by pieces of their bytes instead, in order.
  std::vector<int> pieced;
  int kept = 0;
  // The coalesced ranges that hold every fetched entry, in file order.
  std::vector<ByteSpan> ranges;
  std::uint64_t bytes = 0;
};

// Ranges this close are fetched as one: a request costs more than the gap.
inline constexpr std::uint64_t kCoalesceGapBytes = 16 * 1024;

// Sorted by start, overlapping ones and those at most `gap` bytes apart
// merged.
std::vector<ByteSpan> CoalesceSpans(std::vector<ByteSpan> spans, std::uint64_t gap);

// Each entry's bytes, in directory order: from its local header to the next
// local header, or to the directory: header, name, extra field, data and any
// data descriptor.
std::vector<ByteSpan> EntrySpans(const std::vector<ZipDirectoryEntry>& entries,
                                 std::uint64_t directoryOffset);

// Entries fetched by pieces, by directory index: the spans that stand for
// the entry's whole bytes (none for one that needs no more bytes).
using PiecedEntries = std::map<std::size_t, std::vector<ByteSpan>>;

// Fetches every entry that `isInstalled` denies: whole, or by its pieces.
DeltaPlan PlanDelta(const std::vector<ZipDirectoryEntry>& entries, std::uint64_t directoryOffset,
                    const std::function<bool(std::size_t index)>& isInstalled,
                    const PiecedEntries& pieced = {});
