#include "files/entry_data.h"

#include <libdeflate.h>

#include <algorithm>

namespace {

constexpr std::size_t kEncryptionHeaderBytes = 12;
constexpr int kDeflated = 8;

}  // namespace

RawInflater::~RawInflater() {
  if (ready_) inflateEnd(&stream_);
}

bool RawInflater::Restart() {
  if (ready_) return inflateReset(&stream_) == Z_OK;
  stream_ = z_stream{};
  // Negative window bits: zip entries carry raw deflate data, no zlib header.
  ready_ = inflateInit2(&stream_, -MAX_WBITS) == Z_OK;
  return ready_;
}

EntryData::EntryData(platform::ArchiveStream& stream, std::uint64_t dataOffset,
                     const EntryFacts& facts, RawInflater& inflater,
                     std::vector<unsigned char>& input)
    : stream_(stream), facts_(facts), inflater_(inflater), input_(input), rawOffset_(dataOffset) {
  opened_ = true;
  if (facts_.method == kDeflated) {
    opened_ = inflater_.Restart();
    inflater_.Stream().next_in = Z_NULL;
    inflater_.Stream().avail_in = 0;
  }
  remainingRaw_ = facts_.compressedSize;
  // The launcher sets no password: encrypted entries are read with the empty one.
  if (facts_.encrypted) PkwareInitKeys(&keys_, "");
}

bool EntryData::ReadRaw(unsigned char* buffer, std::size_t size) {
  if (stream_.ReadAt(rawOffset_, buffer, size) != size) return false;
  rawOffset_ += size;
  remainingRaw_ -= size;
  if (facts_.encrypted) PkwareDecrypt(&keys_, buffer, size);
  return true;
}

ArchiveResult EntryData::CheckEncryptionHeader() {
  headerChecked_ = true;
  unsigned char header[kEncryptionHeaderBytes];
  if (remainingRaw_ < sizeof header || !ReadRaw(header, sizeof header)) return ArchiveDataError;
  // Entries followed by a data descriptor check against the DOS time's high
  // byte, since their CRC-32 was not known when the header was written.
  unsigned expected =
      facts_.hasDataDescriptor ? (facts_.dosDateTime >> 8) & 0xFF : facts_.crc >> 24;
  return header[kEncryptionHeaderBytes - 1] == expected ? ArchiveOk : ArchivePasswordError;
}

DataChunk EntryData::Read(unsigned char* out, std::size_t capacity) {
  if (!opened_) return {0, false, ArchiveDataError};
  if (pending_ != ArchiveOk) return {0, false, pending_};
  if (facts_.encrypted && !headerChecked_) {
    ArchiveResult header = CheckEncryptionHeader();
    if (header != ArchiveOk) return {0, false, header};
  }
  return facts_.method == kDeflated ? ReadDeflated(out, capacity) : ReadStored(out, capacity);
}

DataChunk EntryData::ReadStored(unsigned char* out, std::size_t capacity) {
  std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(capacity, remainingRaw_));
  if (size > 0 && !ReadRaw(out, size)) return {0, false, ArchiveDataError};
  return Deliver(out, size, remainingRaw_ == 0, ArchiveOk);
}

DataChunk EntryData::ReadDeflated(unsigned char* out, std::size_t capacity) {
  z_stream& stream = inflater_.Stream();
  // An empty entry written with no deflate data at all.
  if (facts_.uncompressedSize == 0 && remainingRaw_ == 0 && stream.total_in == 0) {
    return Deliver(out, 0, true, ArchiveOk);
  }
  stream.next_out = out;
  stream.avail_out = static_cast<uInt>(capacity);
  ArchiveResult failure = ArchiveOk;
  bool end = false;
  while (stream.avail_out > 0) {
    if (stream.avail_in == 0 && remainingRaw_ > 0) {
      // Hand out what is inflated before a read that might fail.
      if (stream.avail_out < capacity) break;
      std::size_t size =
          static_cast<std::size_t>(std::min<std::uint64_t>(input_.size(), remainingRaw_));
      if (!ReadRaw(input_.data(), size)) {
        failure = ArchiveDataError;
        break;
      }
      stream.next_in = input_.data();
      stream.avail_in = static_cast<uInt>(size);
    }
    int status = inflate(&stream, Z_NO_FLUSH);
    if (status == Z_STREAM_END) {
      end = true;
      break;
    }
    if (status != Z_OK) {
      // Corrupt data, or no progress because the raw data ran out.
      failure = ArchiveDataError;
      break;
    }
  }
  return Deliver(out, capacity - stream.avail_out, end, failure);
}

DataChunk EntryData::Deliver(const unsigned char* out, std::size_t size, bool end,
                             ArchiveResult failure) {
  std::uint64_t allowed = facts_.uncompressedSize - std::min(produced_, facts_.uncompressedSize);
  if (size > allowed) {
    // More data than the entry declares: keep what it declares and fail.
    size = static_cast<std::size_t>(allowed);
    failure = ArchiveDataError;
    end = false;
  }
  crc_ = libdeflate_crc32(crc_, out, size);
  produced_ += size;
  if (failure != ArchiveOk) {
    if (size == 0) return {0, false, failure};
    pending_ = failure;
    return {size, false, ArchiveOk};
  }
  if (!end) return {size, false, ArchiveOk};
  bool intact = produced_ == facts_.uncompressedSize && crc_ == facts_.crc;
  return {size, true, intact ? ArchiveOk : ArchiveDataError};
}
