#include "files/package_extraction.h"

#include <optional>
#include <string>

#include "files/entry_directories.h"
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

void RemoveHalfWritten(const platform::ArchiveFiles& files, std::wstring_view targetDirectory,
                       const ArchiveEntry& entry) {
  std::wstring path(targetDirectory);
  if (!path.empty() && !platform::IsPathSeparator(path.back())) path.push_back(L'/');
  path += entry.name;
  files.RemoveFile(ToPlatformSeparators(path));
}

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
  for (int index = 0; index < summary.entryCount; ++index) {
    ArchiveEntry entry;
    ZipReader::GetEntry(reader.get(), index, &entry);
    ArchiveResult result = ZipReader::ExtractEntry(reader.get(), index, entry.name);
    if (result != ArchiveOk) ++summary.failedCount;
    if (LeftHalfWritten(result)) RemoveHalfWritten(files, targetDirectory, entry);
    if (report) report(index, entry, result);
  }
  ZipReader::Close(std::move(reader));
  return summary;
}
