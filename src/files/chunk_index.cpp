#include "files/chunk_index.h"

#include <algorithm>
#include <limits>
#include <set>

#include "files/content_chunker.h"
#include "files/little_endian.h"

namespace {

constexpr std::string_view kMagic = "QELTCHK1";
constexpr std::size_t kEntryFixedBytes = 2 + 8 + 8 + 4;
constexpr std::size_t kChunkBytes = 4 + 4 + 32;

void PutLittleEndian(std::string& out, std::uint64_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

// Deflate never grows a chunk by more than a few bytes per stored block and
// the flush marker; anything well past that is a lie about where chunks lie.
bool PlausibleCompressedLength(std::uint32_t length, std::uint32_t compressed) {
  return compressed > 0 && compressed <= std::uint64_t{length} + length / 256 + 64;
}

// Reads forward through the bytes; every read checks the bounds first.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}

  std::size_t Left() const { return bytes_.size() - at_; }

  bool Number(std::size_t width, std::uint64_t& value) {
    if (Left() < width) return false;
    value = ReadLittleEndian(bytes_, at_, width);
    at_ += width;
    return true;
  }

  bool Bytes(std::size_t count, std::string_view& value) {
    if (Left() < count) return false;
    value = bytes_.substr(at_, count);
    at_ += count;
    return true;
  }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

bool ReadChunks(Reader& reader, IndexedEntry& entry) {
  std::uint64_t count = 0;
  if (!reader.Number(4, count) || count == 0 || count > reader.Left() / kChunkBytes) return false;
  entry.chunks.reserve(static_cast<std::size_t>(count));
  std::uint64_t total = 0;
  std::uint64_t compressedTotal = 0;
  for (std::uint64_t i = 0; i < count; ++i) {
    IndexedChunk chunk;
    std::uint64_t length = 0;
    std::uint64_t compressed = 0;
    std::string_view sha256;
    if (!reader.Number(4, length) || !reader.Number(4, compressed) ||
        !reader.Bytes(chunk.sha256.size(), sha256) || length == 0 || length > ChunkLimits{}.most) {
      return false;
    }
    chunk.length = static_cast<std::uint32_t>(length);
    chunk.compressedLength = static_cast<std::uint32_t>(compressed);
    if (!PlausibleCompressedLength(chunk.length, chunk.compressedLength)) return false;
    std::copy(sha256.begin(), sha256.end(), chunk.sha256.begin());
    total += length;
    compressedTotal += compressed;
    entry.chunks.push_back(chunk);
  }
  return total == entry.uncompressedSize &&
         entry.dataOffset <= std::numeric_limits<std::uint64_t>::max() - compressedTotal;
}

bool ReadEntry(Reader& reader, IndexedEntry& entry) {
  std::uint64_t nameLength = 0;
  std::string_view name;
  if (!reader.Number(2, nameLength) || nameLength == 0 ||
      !reader.Bytes(static_cast<std::size_t>(nameLength), name) ||
      !reader.Number(8, entry.dataOffset) || !reader.Number(8, entry.uncompressedSize)) {
    return false;
  }
  entry.name.assign(name);
  return ReadChunks(reader, entry);
}

}  // namespace

std::string WriteChunkIndex(const ChunkIndex& index) {
  std::string out(kMagic);
  PutLittleEndian(out, index.entries.size(), 4);
  for (const IndexedEntry& entry : index.entries) {
    std::size_t nameLength = std::min<std::size_t>(entry.name.size(), 0xFFFF);
    PutLittleEndian(out, nameLength, 2);
    out.append(entry.name, 0, nameLength);
    PutLittleEndian(out, entry.dataOffset, 8);
    PutLittleEndian(out, entry.uncompressedSize, 8);
    PutLittleEndian(out, entry.chunks.size(), 4);
    for (const IndexedChunk& chunk : entry.chunks) {
      PutLittleEndian(out, chunk.length, 4);
      PutLittleEndian(out, chunk.compressedLength, 4);
      out.append(reinterpret_cast<const char*>(chunk.sha256.data()), chunk.sha256.size());
    }
  }
  return out;
}

std::optional<ChunkIndex> ParseChunkIndex(std::string_view bytes) {
  Reader reader(bytes);
  std::string_view magic;
  std::uint64_t count = 0;
  if (!reader.Bytes(kMagic.size(), magic) || magic != kMagic || !reader.Number(4, count) ||
      count > reader.Left() / kEntryFixedBytes) {
    return std::nullopt;
  }
  ChunkIndex index;
  index.entries.reserve(static_cast<std::size_t>(count));
  std::set<std::string_view> names;
  for (std::uint64_t i = 0; i < count; ++i) {
    IndexedEntry entry;
    if (!ReadEntry(reader, entry)) return std::nullopt;
    index.entries.push_back(std::move(entry));
  }
  for (const IndexedEntry& entry : index.entries) {
    if (!names.insert(entry.name).second) return std::nullopt;
  }
  if (reader.Left() != 0) return std::nullopt;
  return index;
}
