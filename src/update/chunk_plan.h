// What an entry updated by its chunks takes: which chunks the installed
// files already hold and the byte ranges of the package that hold the rest.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "files/chunk_index.h"
#include "files/zip_directory.h"
#include "update/content_range.h"
#include "update/installed_chunks.h"

struct ChunkPlan {
  // Per chunk of the index: where the installed files hold it; null for
  // one to fetch.
  std::vector<const ChunkPlace*> reused;
  // The entry's local header, then the compressed bytes of each chunk to
  // fetch, in file order.
  std::vector<ByteSpan> spans;
  int reusedCount = 0;
  int fetchedCount = 0;
};

// Why the index's `indexed` cannot be the directory's deflated `entry`, whose
// bytes in the package are `entrySpan` (from its local header to the next
// one): another size, data that does not start after the local header or
// runs past the span, compressed lengths that are not the entry's. Empty
// when they agree.
std::wstring IndexDisagreement(const IndexedEntry& indexed, const ZipDirectoryEntry& entry,
                               const ByteSpan& entrySpan);

// The chunks of `indexed` that `installed` holds (of the same SHA-256 and
// length) are reused, the others fetched.
ChunkPlan PlanChunks(const IndexedEntry& indexed, const ZipDirectoryEntry& entry,
                     const InstalledChunks& installed);
