// One entry's data as it leaves the archive, piece by piece: read raw
// straight from the archive at the offset minizip found (minizip would copy
// it byte by byte and compute its CRC-32 once more), decrypted, inflated by
// zlib's streaming inflate and checked against its size and CRC-32.
#pragma once

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

// Reads the entry whose raw data begins at `dataOffset` in the archive. The
// input buffer holds raw bytes of deflated entries between reads. Only
// positioned reads touch the stream, so threads may each read an entry.
class EntryData {
 public:
  EntryData(platform::ArchiveStream& stream, std::uint64_t dataOffset, const EntryFacts& facts,
            RawInflater& inflater, std::vector<unsigned char>& input);
  EntryData(const EntryData&) = delete;
  EntryData& operator=(const EntryData&) = delete;

  DataChunk Read(unsigned char* out, std::size_t capacity);

 private:
  bool ReadRaw(unsigned char* buffer, std::size_t size);
  ArchiveResult CheckEncryptionHeader();
  DataChunk ReadStored(unsigned char* out, std::size_t capacity);
  DataChunk ReadDeflated(unsigned char* out, std::size_t capacity);
  DataChunk Deliver(const unsigned char* out, std::size_t size, bool end, ArchiveResult failure);

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
  std::uint32_t crc_ = 0;
  PkwareKeys keys_{};
};
