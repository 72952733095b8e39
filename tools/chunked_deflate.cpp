#include "chunked_deflate.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

#include "files/content_chunker.h"
#include "platform/sha256.h"

namespace {

// What minizip deflates other entries with, so chunked entries compress alike.
constexpr int kMemoryLevel = 8;
// Several chunks' worth, so that a chunk always sees its whole window.
constexpr std::size_t kReadBytes = 1 << 20;
constexpr std::size_t kOutputBytes = 1 << 16;

class Deflater {
 public:
  Deflater() {
    ready_ = deflateInit2(&stream_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, kMemoryLevel,
                          Z_DEFAULT_STRATEGY) == Z_OK;
  }
  ~Deflater() {
    if (ready_) deflateEnd(&stream_);
  }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  bool Ready() const { return ready_; }

  // Compresses `size` bytes and ends them with `flush` (Z_SYNC_FLUSH or
  // Z_FINISH); how many compressed bytes that gave, none on failure.
  std::optional<std::uint64_t> Compress(const unsigned char* data, std::size_t size, int flush,
                                        const CompressedSink& sink) {
    stream_.next_in = const_cast<unsigned char*>(data);
    stream_.avail_in = static_cast<uInt>(size);
    std::uint64_t produced = 0;
    for (bool done = false; !done;) {
      stream_.next_out = output_;
      stream_.avail_out = sizeof output_;
      int result = deflate(&stream_, flush);
      if (result == Z_STREAM_ERROR) return std::nullopt;
      std::size_t got = sizeof output_ - stream_.avail_out;
      if (got > 0 && !sink(output_, got)) return std::nullopt;
      produced += got;
      // A flush is complete once deflate leaves output space unused.
      done = flush == Z_FINISH ? result == Z_STREAM_END : stream_.avail_out != 0;
    }
    return produced;
  }

 private:
  z_stream stream_{};
  bool ready_ = false;
  unsigned char output_[kOutputBytes];
};

// The system's SHA-256, with the processor's instructions: libsodium's
// portable one took most of the time chunking adds to a build.
std::optional<platform::Sha256Digest> ChunkDigest(const unsigned char* data, std::size_t size) {
  std::unique_ptr<platform::Sha256> sha256 = platform::MakeSha256();
  if (!sha256 || !sha256->Update(data, size)) return std::nullopt;
  return sha256->Finish();
}

}  // namespace

std::optional<ChunkedContent> DeflateInChunks(std::istream& in, const CompressedSink& sink) {
  const ChunkLimits limits;
  auto deflater = std::make_unique<Deflater>();
  if (!deflater->Ready()) return std::nullopt;
  std::vector<unsigned char> buffer(kReadBytes);
  std::size_t begin = 0;
  std::size_t end = 0;
  bool atEnd = false;
  ChunkedContent content;
  uLong crc = crc32(0L, Z_NULL, 0);
  while (true) {
    // Keep more than a whole window ahead, so that "the rest of the file"
    // is told apart from "the most a chunk may hold".
    if (!atEnd && end - begin <= limits.most) {
      std::memmove(buffer.data(), buffer.data() + begin, end - begin);
      end -= begin;
      begin = 0;
      in.read(reinterpret_cast<char*>(buffer.data() + end),
              static_cast<std::streamsize>(buffer.size() - end));
      end += static_cast<std::size_t>(in.gcount());
      if (!in) {
        if (!in.eof()) return std::nullopt;
        atEnd = true;
      }
    }
    std::size_t left = end - begin;
    if (left == 0) return std::nullopt;
    const unsigned char* chunk = buffer.data() + begin;
    std::size_t length = ChunkLength(chunk, std::min(left, limits.most), limits);
    bool last = atEnd && length == left;
    IndexedChunk indexed;
    indexed.length = static_cast<std::uint32_t>(length);
    std::optional<platform::Sha256Digest> digest = ChunkDigest(chunk, length);
    if (!digest) return std::nullopt;
    indexed.sha256 = *digest;
    crc = crc32(crc, chunk, static_cast<uInt>(length));
    std::optional<std::uint64_t> compressed =
        deflater->Compress(chunk, length, last ? Z_FINISH : Z_SYNC_FLUSH, sink);
    if (!compressed || *compressed > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    indexed.compressedLength = static_cast<std::uint32_t>(*compressed);
    content.chunks.push_back(indexed);
    content.size += length;
    begin += length;
    if (last) break;
  }
  content.crc32 = static_cast<std::uint32_t>(crc);
  return content;
}
