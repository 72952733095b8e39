// Unpacking a whole archive into a directory, entry by entry, the way the
// package thread installs the game client.
#pragma once

#include <functional>
#include <string_view>

#include "files/zip_reader.h"

// Called for each entry in index order with its record (empty name when its
// lookup failed) and the result of its extraction.
using ExtractionReport =
    std::function<void(int index, const ArchiveEntry& entry, ArchiveResult result)>;

// Called once the archive is known to open and fit, before anything is
// written; false stops the extraction there.
using BeforeUnpacking = std::function<bool()>;

struct ExtractionSummary {
  // Nothing was extracted unless this is ArchiveOk: ArchiveFileError when the
  // archive did not open, ArchiveArgumentError when the target directory was
  // refused or BeforeUnpacking said no, ArchiveWriteError when the declared
  // sizes exceed the free space.
  ArchiveResult setup = ArchiveOk;
  int entryCount = 0;
  int failedCount = 0;

  bool AllOk() const { return setup == ArchiveOk && failedCount == 0; }
};

// Opens the archive, sets the target directory, checks that the declared
// sizes fit in the free space, then for every index looks the entry up and
// extracts it under its cleaned name. A file an entry left half-written
// (corrupt data, a failed write) is removed.
ExtractionSummary ExtractAllEntries(const platform::ArchiveFiles& files,
                                    std::wstring_view archivePath,
                                    std::wstring_view targetDirectory,
                                    const ExtractionReport& report,
                                    const BeforeUnpacking& beforeUnpacking = nullptr);
