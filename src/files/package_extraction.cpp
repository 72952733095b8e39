#include "files/package_extraction.h"

#include <cwchar>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "files/entry_directories.h"
#include "files/extraction_pool.h"
#include "files/file_entry_writer.h"
#include "files/path_join.h"

namespace {

// The target directory may not exist yet: then its parent's volume counts.
std::optional<std::uint64_t> AvailableBytes(const platform::ArchiveFiles& files,
                                            std::wstring_view targetDirectory) {
  std::wstring directory(targetDirectory);
  while (!directory.empty() && platform::IsPathSeparator(directory.back())) directory.pop_back();
  if (files.GetPathKind(directory) != platform::PathKind::Directory) {
    directory = DirectoryOf(directory);
  }
  if (directory.empty()) return std::nullopt;
  return files.AvailableBytes(directory);
}

bool FitsFreeSpace(const platform::ArchiveFiles& files, ZipReader* reader,
                   std::wstring_view targetDirectory) {
  std::uint64_t declared = 0;
  ZipReader::GetUnpackedSize(reader, &declared);
  std::optional<std::uint64_t> available = AvailableBytes(files, targetDirectory);
  return !available || declared <= *available;
}

bool LeftHalfWritten(ArchiveResult result) {
  return result == ArchiveDataError || result == ArchiveWriteError ||
         result == ArchivePasswordError;
}

// Entries looked up but not reported yet wait at most this many; beyond it
// the reader waits for the oldest.
constexpr std::size_t kUnreportedLimit = 1024;

// Directories made while a pool thread may still write a file of that name
// would change which of the two wins: wait for the file first.
void WaitForDirectoryTargets(ExtractionPool& pool, const EntryPlan& plan) {
  std::wstring path = plan.base.value_or(L"");
  std::wstring_view rest = plan.directories;
  if (!path.empty()) {
    std::wstring trimmed = path;
    while (!trimmed.empty() && platform::IsPathSeparator(trimmed.back())) trimmed.pop_back();
    pool.WaitUntilClear(ToPlatformSeparators(trimmed));
  }
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (!platform::IsPathSeparator(rest[i]) || i == 0) continue;
    pool.WaitUntilClear(ToPlatformSeparators(path + std::wstring(rest.substr(0, i))));
  }
  if (!rest.empty() && !platform::IsPathSeparator(rest.back())) {
    pool.WaitUntilClear(ToPlatformSeparators(path + std::wstring(rest)));
  }
}

// An entry's record kept until it is reported, its name at its own length
// rather than in a buffer as long as a path may be.
class CompactEntry {
 public:
  explicit CompactEntry(const ArchiveEntry& entry)
      : index_(entry.index),
        name_(entry.name),
        attributes_(entry.attributes),
        accessTime_(entry.accessTime),
        creationTime_(entry.creationTime),
        writeTime_(entry.writeTime),
        compressedSize_(entry.compressedSize),
        uncompressedSize_(entry.uncompressedSize) {}

  // Fills `entry`, which is returned.
  const ArchiveEntry& Restore(ArchiveEntry& entry) const {
    entry.index = index_;
    std::wmemcpy(entry.name, name_.c_str(), name_.size() + 1);
    entry.attributes = attributes_;
    entry.accessTime = accessTime_;
    entry.creationTime = creationTime_;
    entry.writeTime = writeTime_;
    entry.compressedSize = compressedSize_;
    entry.uncompressedSize = uncompressedSize_;
    return entry;
  }

 private:
  std::int32_t index_;
  std::wstring name_;
  std::uint32_t attributes_;
  platform::FileTime accessTime_;
  platform::FileTime creationTime_;
  platform::FileTime writeTime_;
  std::uint64_t compressedSize_;
  std::uint64_t uncompressedSize_;
};

// Entries in index order from lookup to report: the ones handed to the pool
// are reported once their threads are done, so reports keep the order.
class OrderedReports {
 public:
  OrderedReports(const ExtractionReport& report, ExtractionSummary& summary)
      : report_(report), summary_(summary) {}

  void AddDone(int index, const ArchiveEntry& entry, ArchiveResult result) {
    Add(index, entry, false, result);
  }
  void AddSubmitted(int index, const ArchiveEntry& entry) { Add(index, entry, true, ArchiveOk); }
  // Reports every entry that is done before the first that is not; with
  // `all`, waits for every entry.
  void Flush(ExtractionPool& pool, bool all) {
    while (!entries_.empty()) {
      Unreported& front = entries_.front();
      if (front.submitted && !pool.TakeResult(front.index, front.result)) {
        if (!all && entries_.size() <= kUnreportedLimit) return;
        front.result = pool.WaitForResult(front.index);
      }
      if (front.result != ArchiveOk) ++summary_.failedCount;
      if (report_) report_(front.index, front.entry.Restore(*reported_), front.result);
      entries_.pop_front();
    }
  }

 private:
  struct Unreported {
    int index;
    CompactEntry entry;
    bool submitted;
    ArchiveResult result;
  };

  void Add(int index, const ArchiveEntry& entry, bool submitted, ArchiveResult result) {
    entries_.push_back({index, CompactEntry(entry), submitted, result});
  }

  const ExtractionReport& report_;
  ExtractionSummary& summary_;
  std::deque<Unreported> entries_;
  std::unique_ptr<ArchiveEntry> reported_ = std::make_unique<ArchiveEntry>();
};

}  // namespace

ExtractionSummary ExtractAllEntries(const platform::ArchiveFiles& files,
                                    std::wstring_view archivePath,
                                    std::wstring_view targetDirectory,
                                    const ExtractionReport& report,
                                    const BeforeUnpacking& beforeUnpacking) {
  ExtractionSummary summary;
  ZipReaderHandle reader = ZipReader::Open(files, archivePath);
  if (!reader) {
    summary.setup = ArchiveFileError;
    return summary;
  }
  summary.setup = ZipReader::SetTargetDirectory(reader.get(), targetDirectory);
  if (summary.setup != ArchiveOk) return summary;
  if (!FitsFreeSpace(files, reader.get(), targetDirectory)) {
    summary.setup = ArchiveWriteError;
    return summary;
  }
  if (beforeUnpacking && !beforeUnpacking()) {
    summary.setup = ArchiveArgumentError;
    return summary;
  }
  ArchiveEntry count;
  ZipReader::GetEntry(reader.get(), -1, &count);
  summary.entryCount = count.index;
  platform::ArchiveStream& archive = ZipReader::Archive(*reader);
  OrderedReports reports(report, summary);
  ExtractionPool pool(
      [&files, &archive](const FileEntryJob& job, EntryBuffers& buffers) {
        ArchiveResult result = WriteFileEntry(files, archive, job, buffers);
        if (LeftHalfWritten(result)) files.RemoveFile(job.targetPath);
        return result;
      },
      ExtractionPool::DefaultThreads());
  std::optional<std::optional<std::wstring>> madeBase;
  std::wstring madeDirectories;
  // One record for every entry: it is as large as a path may be long.
  auto record = std::make_unique<ArchiveEntry>();
  ArchiveEntry& entry = *record;
  for (int index = 0; index < summary.entryCount; ++index) {
    // Failed lookups are reported with an empty record.
    if (ZipReader::GetEntry(reader.get(), index, &entry) != ArchiveOk) entry = ArchiveEntry{};
    EntryPlan plan;
    ArchiveResult result = ZipReader::PlanExtraction(reader.get(), index, entry.name, &plan);
    // Entries of one directory follow each other: its directories are made
    // (and looked at) once for all of them.
    bool madeAlready =
        plan.isFile && madeBase && *madeBase == plan.base && madeDirectories == plan.directories;
    if (result == ArchiveOk && !madeAlready) {
      WaitForDirectoryTargets(pool, plan);
      CreateEntryDirectories(files, plan.base, plan.directories);
      madeBase = plan.base;
      madeDirectories = plan.directories;
    }
    if (result == ArchiveOk && plan.isFile) {
      pool.Submit(index, std::move(plan.file));
      reports.AddSubmitted(index, entry);
    } else {
      reports.AddDone(index, entry, result);
    }
    reports.Flush(pool, false);
  }
  reports.Flush(pool, true);
  ZipReader::Close(std::move(reader));
  return summary;
}
