// Which byte ranges the range update asks for.
#include "update/delta_plan.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::vector<ZipDirectoryEntry> EntriesAt(const std::vector<std::uint64_t>& offsets) {
  std::vector<ZipDirectoryEntry> entries;
  for (std::uint64_t offset : offsets) {
    ZipDirectoryEntry entry;
    entry.localHeaderOffset = offset;
    entries.push_back(entry);
  }
  return entries;
}

DeltaPlan PlanFetching(const std::vector<ZipDirectoryEntry>& entries, std::uint64_t directory,
                       std::set<std::size_t> fetched) {
  return PlanDelta(entries, directory,
                   [&fetched](std::size_t index) { return fetched.count(index) == 0; });
}

TEST(DeltaPlan, EachEntryRunsToTheNextHeaderOrTheDirectory) {
  // Directory order need not be file order.
  auto entries = EntriesAt({100000, 0, 100, 60000, 200000});
  DeltaPlan plan = PlanFetching(entries, 300000, {1, 3, 4});
  EXPECT_EQ(plan.fetched, (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(plan.kept, 2);
  ASSERT_EQ(plan.ranges.size(), 3u);
  EXPECT_EQ(plan.ranges[0].first, 0u);
  EXPECT_EQ(plan.ranges[0].last, 99u);
  EXPECT_EQ(plan.ranges[1].first, 60000u);
  EXPECT_EQ(plan.ranges[1].last, 99999u);
  EXPECT_EQ(plan.ranges[2].first, 200000u);
  EXPECT_EQ(plan.ranges[2].last, 299999u);
  EXPECT_EQ(plan.bytes, 100u + 40000u + 100000u);
  // Neighbours are one request.
  plan = PlanFetching(entries, 300000, {1, 2});
  ASSERT_EQ(plan.ranges.size(), 1u);
  EXPECT_EQ(plan.ranges[0].last, 59999u);
}

TEST(DeltaPlan, AnEntryFetchedByPiecesAsksForThemInsteadOfItsWholeSpan) {
  auto entries = EntriesAt({0, 100000, 400000, 450000});
  PiecedEntries pieced = {{1, {{100000, 100099}, {300000, 300999}}}, {3, {}}};
  DeltaPlan plan = PlanDelta(
      entries, 500000, [](std::size_t index) { return index == 0; }, pieced);
  EXPECT_EQ(plan.fetched, (std::vector<int>{2}));
  EXPECT_EQ(plan.pieced, (std::vector<int>{1, 3}));
  ASSERT_EQ(plan.ranges.size(), 3u);
  EXPECT_EQ(plan.ranges[0].last, 100099u);
  EXPECT_EQ(plan.ranges[1].first, 300000u);
  EXPECT_EQ(plan.ranges[2].first, 400000u);
  EXPECT_EQ(plan.ranges[2].last, 449999u);
  EXPECT_EQ(plan.bytes, 100u + 1000u + 50000u);
}

TEST(DeltaPlan, RangesAGapOfAtMostTheLimitApartAreOne) {
  std::vector<ByteSpan> spans = {{kCoalesceGapBytes + 200, 300000}, {0, 99}, {50, 120}};
  std::vector<ByteSpan> merged = CoalesceSpans(spans, kCoalesceGapBytes);
  ASSERT_EQ(merged.size(), 2u);
  EXPECT_EQ(merged[0].last, 120u);
  EXPECT_EQ(merged[1].first, kCoalesceGapBytes + 200);
  merged = CoalesceSpans(spans, kCoalesceGapBytes + 79);
  ASSERT_EQ(merged.size(), 1u);
  EXPECT_EQ(merged[0].last, 300000u);
}

TEST(DeltaPlan, EntriesSharingDataAreOneRange) {
  auto entries = EntriesAt({0, 0, 500});
  DeltaPlan plan = PlanFetching(entries, 1000, {1});
  ASSERT_EQ(plan.ranges.size(), 1u);
  EXPECT_EQ(plan.ranges[0].first, 0u);
  EXPECT_EQ(plan.ranges[0].last, 499u);
}

}  // namespace
