#include "files/file_entry_writer.h"

#include <libdeflate.h>

#include <cstdint>
#include <new>
#include <optional>

#include "files/output_file.h"
#include "files/page_releaser.h"

namespace {

constexpr int kDeflated = 8;
// Large pieces: a read and a write per piece are what stored entries cost.
constexpr std::size_t kTransferBytes = 256 * 1024;
// Raw data and output of an entry decoded whole each stay within this; a
// 32-bit process keeps room in its address space for every thread's pair.
constexpr std::uint64_t kWholeEntryLimit =
    sizeof(void*) >= 8 ? std::uint64_t{256} << 20 : std::uint64_t{32} << 20;

// Larger entries are decoded whole through mappings of the archive and the
// output file, where the platform offers them, so that the memory they take
// does not grow with them.
constexpr std::uint64_t kBufferedEntryLimit = std::uint64_t{16} << 20;

bool DecodesMapped(const EntryFacts& facts) {
  return facts.method == kDeflated && !facts.encrypted && facts.compressedSize > 0 &&
         facts.uncompressedSize > kBufferedEntryLimit && facts.compressedSize <= SIZE_MAX &&
         facts.uncompressedSize <= SIZE_MAX;
}

bool DecodesWhole(const EntryFacts& facts) {
  return facts.method == kDeflated && !facts.encrypted && facts.compressedSize > 0 &&
         facts.compressedSize <= kWholeEntryLimit && facts.uncompressedSize <= kWholeEntryLimit;
}

// Decodes the entry in one piece. Corrupt, short or overlong data is left to
// the streaming path (none): it finds the same failure and keeps the bytes
// before it, as the file would hold them after any failed extraction.
std::optional<ArchiveResult> DecodeWhole(platform::ArchiveStream& archive, const FileEntryJob& job,
                                         EntryBuffers& buffers, platform::OutputFile& output) {
  const EntryFacts& facts = job.facts;
  auto rawSize = static_cast<std::size_t>(facts.compressedSize);
  auto size = static_cast<std::size_t>(facts.uncompressedSize);
  unsigned char* raw = buffers.Input(rawSize);
  unsigned char* out = buffers.Output(size);
  libdeflate_decompressor* decompressor = buffers.Decompressor();
  if (raw == nullptr || out == nullptr || decompressor == nullptr) return std::nullopt;
  if (archive.ReadAt(job.dataOffset, raw, rawSize) != rawSize) return std::nullopt;
  std::size_t produced = 0;
  if (libdeflate_deflate_decompress_ex(decompressor, raw, rawSize, out, size, nullptr, &produced) !=
          LIBDEFLATE_SUCCESS ||
      produced != size) {
    return std::nullopt;
  }
  if (size > 0 && !output.Write(out, size)) return ArchiveWriteError;
  return libdeflate_crc32(0, out, size) == facts.crc ? ArchiveOk : ArchiveDataError;
}

// As DecodeWhole; a failed decode empties the file for the streaming path.
// `mapped` tells whether both mappings were made, and so the decoder ran.
std::optional<ArchiveResult> DecodeMapped(platform::ArchiveStream& archive, const FileEntryJob& job,
                                          EntryBuffers& buffers, platform::OutputFile& output,
                                          bool& mapped) {
  const EntryFacts& facts = job.facts;
  auto rawSize = static_cast<std::size_t>(facts.compressedSize);
  auto size = static_cast<std::size_t>(facts.uncompressedSize);
  libdeflate_decompressor* decompressor = buffers.Decompressor();
  if (decompressor == nullptr) return std::nullopt;
  std::unique_ptr<platform::MappedBytes> raw = archive.Map(job.dataOffset, rawSize);
  if (!raw) return std::nullopt;
  std::unique_ptr<platform::MappedBytes> out = output.MapForWriting(size);
  if (!out) return std::nullopt;
  mapped = true;
  std::size_t produced = 0;
  std::uint32_t crc = 0;
  bool decoded = false;
  {
    PageReleaser releaser{raw.get(), out.get()};
    decoded = libdeflate_deflate_decompress_ex(decompressor, raw->Data(), rawSize, out->Data(),
                                               size, nullptr, &produced) == LIBDEFLATE_SUCCESS &&
              produced == size;
    if (decoded) crc = libdeflate_crc32(0, out->Data(), size);
  }
  out.reset();
  if (!decoded) return output.Empty() ? std::nullopt : std::optional(ArchiveWriteError);
  return crc == facts.crc ? ArchiveOk : ArchiveDataError;
}

ArchiveResult Stream(platform::ArchiveStream& archive, const FileEntryJob& job,
                     EntryBuffers& buffers, platform::OutputFile& output) {
  if (buffers.transfer.empty()) {
    buffers.transfer.resize(kTransferBytes);
    buffers.streamInput.resize(kTransferBytes);
  }
  EntryData data(archive, job.dataOffset, job.facts, buffers.inflater, buffers.streamInput);
  for (;;) {
    DataChunk chunk = data.Read(buffers.transfer.data(), buffers.transfer.size());
    if (chunk.size > 0 && !output.Write(buffers.transfer.data(), chunk.size)) {
      return ArchiveWriteError;
    }
    if (chunk.result != ArchiveOk) return chunk.result;
    if (chunk.end) return ArchiveOk;
    if (chunk.size == 0) return ArchiveDataError;
  }
}

}  // namespace

EntryBuffers::EntryBuffers() = default;

EntryBuffers::~EntryBuffers() = default;

libdeflate_decompressor* EntryBuffers::Decompressor() {
  if (!decompressor_.Valid()) decompressor_.Reset(libdeflate_alloc_decompressor());
  return decompressor_.Get();
}

unsigned char* EntryBuffers::Reserve(std::unique_ptr<unsigned char[]>& buffer,
                                     std::size_t& capacity, std::size_t size) {
  if (size > capacity) {
    buffer.reset();
    capacity = 0;
    buffer.reset(new (std::nothrow) unsigned char[size]);
    if (!buffer) return nullptr;
    capacity = size;
  }
  return buffer.get();
}

ArchiveResult WriteFileEntry(const platform::ArchiveFiles& files, platform::ArchiveStream& source,
                             const FileEntryJob& job, EntryBuffers& buffers) {
  ReadAheadStream archive(source, buffers.readAhead);
  std::unique_ptr<platform::OutputFile> output = ReplaceOutputFile(files, job.targetPath, job.mode);
  if (!output) return ArchiveFileError;
  std::optional<ArchiveResult> whole;
  // Data the mapped decode refused goes straight to the streaming path: its
  // buffers would take as much memory as the entry.
  bool mapped = false;
  if (DecodesMapped(job.facts)) whole = DecodeMapped(archive, job, buffers, *output, mapped);
  if (!mapped && DecodesWhole(job.facts)) whole = DecodeWhole(archive, job, buffers, *output);
  ArchiveResult result = whole ? *whole : Stream(archive, job, buffers, *output);
  if (result == ArchiveOk) output->SetTimes(job.creationTime, job.accessTime, job.writeTime);
  return result;
}
