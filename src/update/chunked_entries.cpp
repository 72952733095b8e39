#include "update/chunked_entries.h"

#include <map>
#include <optional>

#include "files/entry_attributes.h"
#include "files/entry_name.h"
#include "files/path_join.h"
#include "files/sha256_digest.h"
#include "update/chunk_assembler.h"
#include "update/download_step.h"

namespace {

constexpr std::uint16_t kDeflated = 8;

}  // namespace

ChunkedEntries::~ChunkedEntries() {
  for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
    if (!entry->built || entry->installed) continue;
    u_.files.MakeWritable(entry->aside);
    u_.files.RemoveFile(entry->aside);
  }
}

void ChunkedEntries::RemoveLeftovers() {
  if (!u_.assembledPath) return;
  std::size_t count = 0;
  while (u_.files.GetPathKind(u_.assembledPath(count)) == platform::PathKind::File) ++count;
  while (count > 0) {
    std::wstring path = u_.assembledPath(--count);
    u_.files.MakeWritable(path);
    u_.files.RemoveFile(path);
  }
}

void ChunkedEntries::NotUsed(const std::wstring& reason) {
  u_.trace.Write(L"\nchunked update not used: " + reason);
}

void ChunkedEntries::NotUsedFor(const std::wstring& name, const std::wstring& reason) {
  u_.trace.Write(L"\nchunked update not used for " + name + L": " + reason);
}

std::optional<ChunkIndex> ChunkedEntries::FetchIndex() {
  std::string bytes;
  DownloadResult download =
      u_.fetcher.FetchBeside(L".chunks", u_.chunkIndexPath, *u_.manifest.chunksSize, bytes);
  if (!download.Ok()) {
    NotUsed(L"the index did not download (" + DescribeDownload(download) + L")");
    return std::nullopt;
  }
  Sha256Hasher hasher;
  hasher.Update(bytes.data(), bytes.size());
  if (!SameSha256Hex(hasher.FinishHex(), u_.manifest.chunksSha256)) {
    NotUsed(L"the index is not the SHA-256 the manifest lists");
    return std::nullopt;
  }
  std::optional<ChunkIndex> index = ParseChunkIndex(bytes);
  if (!index) NotUsed(L"the index does not parse");
  return index;
}

void ChunkedEntries::Plan(const PackageDirectory& directory) {
  const PackageManifest& manifest = u_.manifest;
  // A size of 0 would set no bound on the download.
  if (u_.chunkIndexPath.empty() || !u_.assembledPath || manifest.chunksSize.value_or(0) == 0 ||
      manifest.chunksSha256 == nullptr || !IsSha256Hex(manifest.chunksSha256)) {
    return;
  }
  const std::vector<ZipDirectoryEntry>& entries = directory.entries;
  auto isFile = [&](std::size_t i) {
    return !directory.names[i].empty() &&
           !IsDirectoryEntry(entries[i].versionMadeBy, entries[i].externalAttributes,
                             DecodeEntryName(entries[i].name));
  };
  // The index costs more than it can save unless an entry to fetch is
  // larger than it.
  bool worthIt = false;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    worthIt = worthIt || (!directory.installed[i] && isFile(i) && entries[i].method == kDeflated &&
                          entries[i].compressedSize > *manifest.chunksSize);
  }
  if (!worthIt) return;
  std::optional<ChunkIndex> index = FetchIndex();
  if (!index) return;
  index_ = std::move(*index);

  std::map<std::string, std::size_t> byName;
  for (std::size_t i = 0; i < entries.size(); ++i) byName.emplace(entries[i].name, i);
  std::map<std::string, const IndexedEntry*> indexed;
  for (const IndexedEntry& entry : index_.entries) {
    auto found = byName.find(entry.name);
    if (found == byName.end()) {
      NotUsedFor(DecodeEntryName(entry.name), L"the directory has no such entry");
      continue;
    }
    indexed.emplace(entry.name, &entry);
    std::optional<std::wstring> path =
        JoinPath(u_.applier.ClientDirectory(), directory.names[found->second]);
    if (!path || !isFile(found->second)) continue;
    // An installed file that is the new entry holds exactly its chunks; one
    // that changed is cut as the builder cut the new one.
    if (directory.installed[found->second]) {
      chunks_.AddListed(*path, entry);
    } else if (u_.files.GetPathKind(*path) == platform::PathKind::File) {
      chunks_.AddCut(u_.files, *path);
    }
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    auto listed = indexed.find(entries[i].name);
    if (directory.installed[i] || !isFile(i) || listed == indexed.end()) continue;
    std::wstring disagreement = IndexDisagreement(*listed->second, entries[i], directory.spans[i]);
    if (!disagreement.empty()) {
      NotUsedFor(directory.names[i], disagreement);
      continue;
    }
    Entry entry;
    entry.index = i;
    entry.name = entries[i].name;
    entry.cleanName = directory.names[i];
    entry.indexed = listed->second;
    entry.listedSha256 = directory.listedSha256(entries[i].name);
    entry.plan = PlanChunks(*listed->second, entries[i], chunks_);
    entries_.push_back(std::move(entry));
  }
}

PiecedEntries ChunkedEntries::Pieces() const {
  PiecedEntries pieces;
  for (const Entry& entry : entries_) {
    pieces[entry.index] = entry.built ? std::vector<ByteSpan>{} : entry.plan.spans;
  }
  return pieces;
}

std::uint64_t ChunkedEntries::BytesToBuild() const {
  std::uint64_t bytes = 0;
  for (const Entry& entry : entries_) {
    if (!entry.built) bytes += entry.indexed->uncompressedSize;
  }
  return bytes;
}

bool ChunkedEntries::AnyBuilt() const {
  for (const Entry& entry : entries_) {
    if (entry.built) return true;
  }
  return false;
}

std::wstring ChunkedEntries::BuildEntry(ZipReader* reader, Entry& entry) {
  ArchiveEntry archived;
  int index = static_cast<int>(entry.index);
  ArchiveResult result = ZipReader::GetEntry(reader, index, &archived);
  if (result == ArchiveOk) {
    result = ZipReader::PlanExtraction(reader, index, archived.name, &entry.extraction);
  }
  if (result != ArchiveOk || !entry.extraction.isFile) return L"the local header does not read";
  const FileEntryJob& job = entry.extraction.file;
  if (job.dataOffset != entry.indexed->dataOffset) {
    return L"the index's data offset is not the local header's";
  }
  if (job.facts.encrypted) return L"the entry is encrypted";
  entry.aside = u_.assembledPath(built_);
  return AssembleChunks({u_.files, ZipReader::Archive(*reader), chunks_, *entry.indexed, entry.plan,
                         job, entry.listedSha256},
                        entry.aside);
}

bool ChunkedEntries::Build(ZipReader* reader) {
  bool all = true;
  for (auto entry = entries_.begin(); entry != entries_.end();) {
    if (entry->built) {
      ++entry;
      continue;
    }
    std::wstring failure = BuildEntry(reader, *entry);
    if (!failure.empty()) {
      NotUsedFor(entry->cleanName, failure);
      entry = entries_.erase(entry);
      all = false;
      continue;
    }
    entry->built = true;
    ++built_;
    chunksReused_ += entry->plan.reusedCount;
    chunksFetched_ += entry->plan.fetchedCount;
    ++entry;
  }
  return all;
}

std::wstring ChunkedEntries::Install() {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    Entry& entry = *it;
    platform::SystemResult moved =
        u_.applier.PutInPlace(entry.aside, entry.extraction, entry.cleanName);
    if (!moved) {
      std::wstring reason = L"entry " + entry.cleanName + L" cannot replace the installed file";
      if (moved.Error().Known()) reason += L"; " + platform::DescribeSystemError(moved.Error());
      return reason;
    }
    entry.installed = true;
  }
  return {};
}
