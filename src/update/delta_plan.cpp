#include "update/delta_plan.h"

#include <algorithm>

std::vector<ByteSpan> CoalesceSpans(std::vector<ByteSpan> spans, std::uint64_t gap) {
  std::sort(spans.begin(), spans.end(),
            [](const ByteSpan& a, const ByteSpan& b) { return a.first < b.first; });
  std::vector<ByteSpan> merged;
  for (const ByteSpan& span : spans) {
    if (!merged.empty() && span.first <= merged.back().last + 1 + gap) {
      merged.back().last = std::max(merged.back().last, span.last);
    } else {
      merged.push_back(span);
    }
  }
  return merged;
}

std::vector<ByteSpan> EntrySpans(const std::vector<ZipDirectoryEntry>& entries,
                                 std::uint64_t directoryOffset) {
  std::vector<std::uint64_t> starts;
  starts.reserve(entries.size());
  for (const ZipDirectoryEntry& entry : entries) starts.push_back(entry.localHeaderOffset);
  std::sort(starts.begin(), starts.end());
  std::vector<ByteSpan> spans;
  spans.reserve(entries.size());
  for (const ZipDirectoryEntry& entry : entries) {
    std::uint64_t first = entry.localHeaderOffset;
    auto next = std::upper_bound(starts.begin(), starts.end(), first);
    std::uint64_t end = next == starts.end() ? directoryOffset : *next;
    spans.push_back(ByteSpan{first, end - 1});
  }
  return spans;
}

DeltaPlan PlanDelta(const std::vector<ZipDirectoryEntry>& entries, std::uint64_t directoryOffset,
                    const std::function<bool(std::size_t index)>& isInstalled,
                    const PiecedEntries& pieced) {
  DeltaPlan plan;
  const std::vector<ByteSpan> whole = EntrySpans(entries, directoryOffset);
  std::vector<ByteSpan> spans;
  for (std::size_t index = 0; index < entries.size(); ++index) {
    if (isInstalled(index)) {
      ++plan.kept;
      continue;
    }
    auto pieces = pieced.find(index);
    if (pieces == pieced.end()) {
      plan.fetched.push_back(static_cast<int>(index));
      spans.push_back(whole[index]);
    } else {
      plan.pieced.push_back(static_cast<int>(index));
      spans.insert(spans.end(), pieces->second.begin(), pieces->second.end());
    }
  }
  plan.ranges = CoalesceSpans(std::move(spans), kCoalesceGapBytes);
  for (const ByteSpan& span : plan.ranges) plan.bytes += span.last - span.first + 1;
  return plan;
}
