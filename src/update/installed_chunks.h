// The chunks the installed client already holds, by SHA-256: where an entry
// updated by its chunks copies them from instead of fetching them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "files/chunk_index.h"
#include "platform/archive_files.h"
#include "platform/sha256.h"

struct ChunkPlace {
  // Among `InstalledChunks::Paths()`.
  std::size_t file = 0;
  std::uint64_t offset = 0;
  std::uint32_t length = 0;
};

class InstalledChunks {
 public:
  // Cuts the file at `path` as the package builder cuts an entry and hashes
  // each chunk. False when it cannot be read to its end.
  bool AddCut(const platform::ArchiveFiles& files, const std::wstring& path);
  // A file that holds exactly `entry`'s bytes: its chunks are the index's,
  // without reading it (each is checked again when it is copied).
  void AddListed(const std::wstring& path, const IndexedEntry& entry);

  // The first place found of a chunk of that SHA-256; null when none.
  const ChunkPlace* Find(const platform::Sha256Digest& sha256) const;
  const std::vector<std::wstring>& Paths() const { return paths_; }
  // Distinct chunks held.
  std::size_t Count() const { return chunks_.size(); }

 private:
  std::vector<std::wstring> paths_;
  std::map<platform::Sha256Digest, ChunkPlace> chunks_;
};
