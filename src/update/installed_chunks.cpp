#include "update/installed_chunks.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "files/content_chunker.h"
#include "files/sha256_digest.h"

namespace {

// Several of the longest chunks a read: the reads stay large, and a cut
// always sees its whole window.
constexpr std::size_t kReadChunks = 8;

}  // namespace

bool InstalledChunks::AddCut(const platform::ArchiveFiles& files, const std::wstring& path) {
  std::unique_ptr<platform::ArchiveStream> file = files.OpenArchive(path);
  if (!file) return false;
  const ChunkLimits limits;
  std::vector<unsigned char> buffer(limits.most * kReadChunks);
  const std::size_t fileIndex = paths_.size();
  paths_.push_back(path);
  const std::uint64_t size = file->Size();
  std::uint64_t read = 0;
  // The bytes of the file from `start` on are in the buffer up to `held`.
  std::uint64_t start = 0;
  std::size_t held = 0;
  std::size_t at = 0;
  while (start + at < size) {
    if (held - at < limits.most && read < size) {
      std::copy(buffer.begin() + static_cast<std::ptrdiff_t>(at),
                buffer.begin() + static_cast<std::ptrdiff_t>(held), buffer.begin());
      start += at;
      held -= at;
      at = 0;
      std::size_t want =
          static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size() - held, size - read));
      if (file->ReadAt(read, buffer.data() + held, want) != want) return false;
      held += want;
      read += want;
    }
    std::size_t window = std::min(limits.most, held - at);
    std::size_t length = ChunkLength(buffer.data() + at, window, limits);
    std::optional<platform::Sha256Digest> digest = Sha256Of(buffer.data() + at, length);
    if (!digest) return false;
    chunks_.emplace(*digest, ChunkPlace{fileIndex, start + at, static_cast<std::uint32_t>(length)});
    at += length;
  }
  return true;
}

void InstalledChunks::AddListed(const std::wstring& path, const IndexedEntry& entry) {
  const std::size_t fileIndex = paths_.size();
  paths_.push_back(path);
  std::uint64_t offset = 0;
  for (const IndexedChunk& chunk : entry.chunks) {
    chunks_.emplace(chunk.sha256, ChunkPlace{fileIndex, offset, chunk.length});
    offset += chunk.length;
  }
}

const ChunkPlace* InstalledChunks::Find(const platform::Sha256Digest& sha256) const {
  auto found = chunks_.find(sha256);
  return found == chunks_.end() ? nullptr : &found->second;
}
