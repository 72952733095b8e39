#include "files/package_extraction.h"

ExtractionSummary ExtractAllEntries(const platform::ArchiveFiles& files,
                                    std::wstring_view archivePath,
                                    std::wstring_view targetDirectory,
                                    const ExtractionReport& report) {
  ExtractionSummary summary;
  ZipReaderHandle reader = ZipReader::Open(files, archivePath);
  if (!reader) {
    summary.setup = ArchiveFileError;
    return summary;
  }
  summary.setup = ZipReader::SetTargetDirectory(reader.get(), targetDirectory);
  if (summary.setup != ArchiveOk) return summary;
  ArchiveEntry count;
  ZipReader::GetEntry(reader.get(), -1, &count);
  summary.entryCount = count.index;
  for (int index = 0; index < summary.entryCount; ++index) {
    ArchiveEntry entry;
    ZipReader::GetEntry(reader.get(), index, &entry);
    ArchiveResult result = ZipReader::ExtractEntry(reader.get(), index, entry.name);
    if (result != ArchiveOk) ++summary.failedCount;
    if (report) report(index, entry, result);
  }
  ZipReader::Close(std::move(reader));
  return summary;
}
