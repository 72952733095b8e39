// Puts a new file together from its chunks: the reused ones copied from the
// installed files, the fetched ones inflated each on its own from the local
// copy of the package, every one checked against the index's SHA-256.
#pragma once

#include <string>

#include "files/chunk_index.h"
#include "files/file_entry_writer.h"
#include "platform/archive_files.h"
#include "update/chunk_plan.h"
#include "update/installed_chunks.h"

struct ChunkAssembly {
  const platform::ArchiveFiles& files;
  // The local copy that holds the fetched chunks at their package offsets.
  platform::ArchiveStream& copy;
  const InstalledChunks& installed;
  const IndexedEntry& indexed;
  const ChunkPlan& plan;
  // The entry as the reader would write it: its mode, times, size and
  // CRC-32.
  const FileEntryJob& job;
  // The SHA-256 the manifest lists for the file; empty when it lists none.
  const std::string& listedSha256;
};

// Writes the file at `path`, created with the entry's mode and given its
// times, and checks its size, CRC-32 and listed SHA-256. Empty when all is
// well; otherwise why not, and nothing is left at `path`.
std::wstring AssembleChunks(const ChunkAssembly& assembly, const std::wstring& path);
