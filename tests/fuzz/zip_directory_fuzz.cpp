// libFuzzer target: the input is a whole package as the range update sees
// it: the end record is looked for in its last bytes, the directory read
// from where that record says, and the entries planned. Every planned range
// must lie before the directory, in order and apart; the names are decoded
// as the update names the installed files.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "files/entry_attributes.h"
#include "files/entry_name.h"
#include "files/zip_directory.h"
#include "update/delta_plan.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

void CheckPlan(const std::vector<ZipDirectoryEntry>& entries, const ZipEnd& end, int parity) {
  DeltaPlan plan = PlanDelta(entries, end.directoryOffset,
                             [parity](std::size_t index) { return index % 2 == parity % 2; });
  if (plan.kept + plan.fetched.size() != entries.size()) Fail("entries neither kept nor fetched");
  std::uint64_t bytes = 0;
  for (std::size_t i = 0; i < plan.ranges.size(); ++i) {
    const ByteSpan& span = plan.ranges[i];
    if (span.last < span.first || span.last >= end.directoryOffset) Fail("a range out of place");
    if (i > 0 && span.first <= plan.ranges[i - 1].last + 1) Fail("ranges not apart");
    bytes += span.last - span.first + 1;
  }
  if (bytes != plan.bytes) Fail("planned bytes miscounted");
  for (int index : plan.fetched) {
    std::uint64_t at = entries[static_cast<std::size_t>(index)].localHeaderOffset;
    bool covered = std::any_of(plan.ranges.begin(), plan.ranges.end(), [at](const ByteSpan& span) {
      return span.first <= at && at <= span.last;
    });
    if (!covered) Fail("a fetched entry outside every range");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view file(reinterpret_cast<const char*>(data), size);
  std::size_t tailSize =
      static_cast<std::size_t>(std::min<std::uint64_t>(size, kZipEndSearchBytes));
  std::uint64_t tailOffset = size - tailSize;
  ZipEndScan scan = FindZipEnd(file.substr(tailOffset), tailOffset);
  if (scan.problem != ZipEndProblem::None) return 0;
  const ZipEnd& end = scan.end;
  if (end.directoryOffset > size || end.directorySize > size - end.directoryOffset) {
    Fail("an end record past the file");
  }
  std::optional<std::vector<ZipDirectoryEntry>> entries =
      ParseZipDirectory(file.substr(static_cast<std::size_t>(end.directoryOffset),
                                    static_cast<std::size_t>(end.directorySize)),
                        end);
  if (!entries) return 0;
  if (entries->size() != end.entryCount) Fail("a count other than the end record's");
  for (const ZipDirectoryEntry& entry : *entries) {
    if (entry.localHeaderOffset >= end.directoryOffset) Fail("an entry at or past the directory");
    CleanEntryName(DecodeEntryName(entry.name));
    EntryAttributes(entry.versionMadeBy, entry.externalAttributes);
  }
  CheckPlan(*entries, end, 0);
  CheckPlan(*entries, end, 1);
  return 0;
}
