#include "update/chunk_assembler.h"

#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "files/content_chunker.h"
#include "files/entry_data.h"
#include "files/sha256_digest.h"

namespace {

// Deflate's largest distance back.
constexpr std::size_t kWindowBytes = 32 * 1024;

class Assembler {
 public:
  explicit Assembler(const ChunkAssembly& assembly) : a_(assembly) {}

  std::wstring Write(platform::OutputFile& output) {
    const std::size_t most = ChunkLimits{}.most;
    raw_.resize(compressBound(static_cast<uLong>(most)));
    // One byte more than a chunk may hold: a chunk that inflates to more
    // than its length shows it.
    chunk_.resize(most + 1);
    Sha256Hasher whole;
    uLong crc = crc32(0, nullptr, 0);
    std::uint64_t compressedAt = a_.indexed.dataOffset;
    for (std::size_t i = 0; i < a_.indexed.chunks.size(); ++i) {
      const IndexedChunk& chunk = a_.indexed.chunks[i];
      const ChunkPlace* place = a_.plan.reused[i];
      bool read = place ? CopyChunk(*place) : InflateChunk(compressedAt, chunk);
      if (!read) {
        return place ? L"an installed chunk cannot be read"
                     : L"chunk " + std::to_wstring(i) + L" does not inflate to its length";
      }
      if (Sha256Of(chunk_.data(), chunk.length) != chunk.sha256) {
        return place ? L"an installed chunk is not the index's"
                     : L"chunk " + std::to_wstring(i) + L" is not the index's SHA-256";
      }
      if (!output.Write(chunk_.data(), chunk.length)) return L"the file cannot be written";
      Remember(chunk.length);
      crc = crc32(crc, chunk_.data(), chunk.length);
      whole.Update(chunk_.data(), chunk.length);
      compressedAt += chunk.compressedLength;
    }
    if (static_cast<std::uint32_t>(crc) != a_.job.facts.crc) {
      return L"the file is not the directory's CRC-32";
    }
    if (!a_.listedSha256.empty() && !SameSha256Hex(whole.FinishHex(), a_.listedSha256)) {
      return L"the file is not the SHA-256 the manifest lists";
    }
    if (!output.SetTimes(a_.job.creationTime, a_.job.accessTime, a_.job.writeTime)) {
      return L"the file's times cannot be set";
    }
    return {};
  }

 private:
  bool CopyChunk(const ChunkPlace& place) {
    platform::ArchiveStream* source = Source(place.file);
    return source && source->ReadAt(place.offset, chunk_.data(), place.length) == place.length;
  }

  // Keeps the last 32 KiB of the file so far: the window the next chunk's
  // compressed bytes may refer back into.
  void Remember(std::size_t length) {
    const unsigned char* end = chunk_.data() + length;
    const unsigned char* from = end - std::min(length, kWindowBytes);
    history_.insert(history_.end(), from, end);
    if (history_.size() > kWindowBytes) {
      history_.erase(history_.begin(), history_.begin() + static_cast<std::ptrdiff_t>(
                                                              history_.size() - kWindowBytes));
    }
  }

  // A fresh raw inflate of the chunk's bytes, given the file's bytes before
  // it as its dictionary, must give exactly the chunk: the package builder
  // ended each chunk's bytes on a byte boundary with a flush.
  bool InflateChunk(std::uint64_t offset, const IndexedChunk& chunk) {
    if (chunk.compressedLength > raw_.size()) return false;
    if (a_.copy.ReadAt(offset, raw_.data(), chunk.compressedLength) != chunk.compressedLength) {
      return false;
    }
    if (!inflater_.Restart()) return false;
    z_stream& stream = inflater_.Stream();
    if (!history_.empty() && inflateSetDictionary(&stream, history_.data(),
                                                  static_cast<uInt>(history_.size())) != Z_OK) {
      return false;
    }
    stream.next_in = raw_.data();
    stream.avail_in = chunk.compressedLength;
    stream.next_out = chunk_.data();
    stream.avail_out = static_cast<uInt>(chunk_.size());
    int result = inflate(&stream, Z_SYNC_FLUSH);
    if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) return false;
    return stream.avail_in == 0 && chunk_.size() - stream.avail_out == chunk.length;
  }

  platform::ArchiveStream* Source(std::size_t file) {
    std::unique_ptr<platform::ArchiveStream>& source = sources_[file];
    if (!source) source = a_.files.OpenArchive(a_.installed.Paths()[file]);
    return source.get();
  }

  const ChunkAssembly& a_;
  RawInflater inflater_;
  std::vector<unsigned char> raw_;
  std::vector<unsigned char> chunk_;
  std::vector<unsigned char> history_;
  std::map<std::size_t, std::unique_ptr<platform::ArchiveStream>> sources_;
};

}  // namespace

std::wstring AssembleChunks(const ChunkAssembly& assembly, const std::wstring& path) {
  const platform::ArchiveFiles& files = assembly.files;
  // Left by a launcher that was killed while it wrote one.
  files.MakeWritable(path);
  files.RemoveFile(path);
  std::wstring failure;
  {
    std::unique_ptr<platform::OutputFile> output = files.CreateNewFile(path, assembly.job.mode);
    if (!output) return L"the file cannot be created";
    failure = Assembler(assembly).Write(*output);
  }
  if (!failure.empty()) {
    files.MakeWritable(path);
    files.RemoveFile(path);
  }
  return failure;
}
