// The entries of a range update that are fetched by their chunks: the
// package's chunk index says where each chunk's deflated bytes lie, the
// installed files give the chunks they hold, only the rest are fetched, and
// each new file is built aside and checked before it replaces the old one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "files/chunk_index.h"
#include "files/file_entry_writer.h"
#include "files/zip_directory.h"
#include "files/zip_reader.h"
#include "update/chunk_plan.h"
#include "update/delta_plan.h"
#include "update/delta_update.h"
#include "update/installed_chunks.h"

// What the range update knows of the new package's directory.
struct PackageDirectory {
  const std::vector<ZipDirectoryEntry>& entries;
  // The cleaned names the installed files are found by.
  const std::vector<std::wstring>& names;
  // Each entry's bytes, from its local header to the next one.
  const std::vector<ByteSpan>& spans;
  // Whether each entry is installed as the package has it.
  const std::vector<bool>& installed;
  // The SHA-256 the manifest lists for the stored name; empty for none.
  std::function<std::string(const std::string& name)> listedSha256;
};

class ChunkedEntries {
 public:
  explicit ChunkedEntries(const DeltaUpdate& update) : u_(update) {}
  ChunkedEntries(const ChunkedEntries&) = delete;
  ChunkedEntries& operator=(const ChunkedEntries&) = delete;
  // Removes every file built aside that did not replace its installed one.
  ~ChunkedEntries();

  // Removes the files a killed launcher left built aside. They are numbered
  // from 0 without a gap whatever moment the kill came at: built in order,
  // moved and removed in reverse.
  void RemoveLeftovers();

  // When the manifest names the index and an entry to fetch is larger than
  // it: downloads the index, checks its SHA-256, and takes every entry to
  // fetch that it lists consistently with the directory. Every doubt is
  // traced and leaves the entries to the whole-entry fetch.
  void Plan(const PackageDirectory& directory);

  // The entries taken, by directory index: the ranges still to fetch, none
  // for those built.
  PiecedEntries Pieces() const;
  // The bytes of the files still to build.
  std::uint64_t BytesToBuild() const;

  // Builds each entry not yet built from the local copy `reader` reads and
  // the installed files. An entry that fails is traced and left to the
  // whole-entry fetch from then on: false when one did.
  bool Build(ZipReader* reader);

  // Puts each built file in place of the installed one. Empty when all are;
  // otherwise why not.
  std::wstring Install();

  int ChunksReused() const { return chunksReused_; }
  int ChunksFetched() const { return chunksFetched_; }
  bool AnyBuilt() const;

 private:
  struct Entry {
    std::size_t index = 0;
    std::string name;
    std::wstring cleanName;
    const IndexedEntry* indexed = nullptr;
    std::string listedSha256;
    ChunkPlan plan;
    EntryPlan extraction;
    std::wstring aside;
    bool built = false;
    bool installed = false;
  };

  std::optional<ChunkIndex> FetchIndex();
  void NotUsed(const std::wstring& reason);
  void NotUsedFor(const std::wstring& name, const std::wstring& reason);
  std::wstring BuildEntry(ZipReader* reader, Entry& entry);

  const DeltaUpdate& u_;
  ChunkIndex index_;
  InstalledChunks chunks_;
  std::vector<Entry> entries_;
  // The files built so far, numbered 0 to `built_` - 1.
  std::size_t built_ = 0;
  int chunksReused_ = 0;
  int chunksFetched_ = 0;
};
