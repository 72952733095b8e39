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

struct ExtractionSummary {
  // ArchiveFileError when the archive did not open, ArchiveArgumentError when
  // the target directory was refused; nothing was extracted then.
  ArchiveResult setup = ArchiveOk;
  int entryCount = 0;
  int failedCount = 0;

  bool AllOk() const { return setup == ArchiveOk && failedCount == 0; }
};

// Opens the archive, sets the target directory, then for every index looks the
// entry up and extracts it under its cleaned name.
ExtractionSummary ExtractAllEntries(const platform::ArchiveFiles& files,
                                    std::wstring_view archivePath,
                                    std::wstring_view targetDirectory,
                                    const ExtractionReport& report);
