// One entry's data as it leaves the archive: located by minizip, read raw
// straight from the archive (minizip would copy it byte by byte and compute
// its CRC-32 once more), decrypted, inflated and checked against its size and
// CRC-32.
#pragma once

#include <minizip/unzip.h>
#include <zlib.h>

#include <cstdint>
#include <vector>

#include "files/pkware_keys.h"
#include "files/zip_reader.h"
#include "platform/archive_files.h"

// What decoding an entry needs from its central directory record.
struct EntryFacts {
  int method = 0;
  bool encrypted = false;
  bool hasDataDescriptor = false;
  std::uint32_t dosDateTime = 0;
  std::uint32_t crc = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t uncompressedSize = 0;
};

// A raw inflate stream kept across entries, so each entry only resets it.
class RawInflater {
 public:
  RawInflater() = default;
  RawInflater(const RawInflater&) = delete;
  RawInflater& operator=(const RawInflater&) = delete;
  ~RawInflater();

  // Ready for a new stream; false when zlib has no memory for it.
  bool Restart();
  z_stream& Stream() { return stream_; }

 private:
  z_stream stream_{};
  bool ready_ = false;
};

struct DataChunk {
  std::size_t size = 0;
  // This chunk holds the entry's last bytes.
  bool end = false;
  // Not ArchiveOk: the entry failed; `size` bytes still belong to the file
  // when the failure is a size or CRC-32 mismatch found at the end.
  ArchiveResult result = ArchiveOk;
};

// Reads the archive's current entry. The input buffer holds raw bytes of
// deflated entries between reads.
class EntryData {
 public:
  EntryData(unzFile archive, platform::ArchiveStream& stream, const EntryFacts& facts,
            RawInflater& inflater, std::vector<unsigned char>& input);
  EntryData(const EntryData&) = delete;
  EntryData& operator=(const EntryData&) = delete;
  ~EntryData();

  DataChunk Read(unsigned char* out, std::size_t capacity);

 private:
  bool ReadRaw(unsigned char* buffer, std::size_t size);
  ArchiveResult CheckEncryptionHeader();
  DataChunk ReadStored(unsigned char* out, std::size_t capacity);
  DataChunk ReadDeflated(unsigned char* out, std::size_t capacity);
  DataChunk Deliver(const unsigned char* out, std::size_t size, bool end, ArchiveResult failure);

  unzFile archive_;
  platform::ArchiveStream& stream_;
  EntryFacts facts_;
  RawInflater& inflater_;
  std::vector<unsigned char>& input_;
  bool opened_ = false;
  bool headerChecked_ = false;
  ArchiveResult pending_ = ArchiveOk;
  // Where the entry's next raw bytes lie in the archive.
  std::uint64_t rawOffset_ = 0;
  std::uint64_t remainingRaw_ = 0;
  std::uint64_t produced_ = 0;
  uLong crc_ = 0;
  PkwareKeys keys_{};
};
