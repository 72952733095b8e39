// The central directory of an open archive, read once: minizip walks it a
// few bytes at a time and reads each record twice, which cost more than
// writing a small file. The records are found where minizip finds them, so
// that both agree on every archive minizip opens.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/archive_files.h"

// Reads of an archive that mostly move forward, served from one buffer.
class ArchiveCursor {
 public:
  explicit ArchiveCursor(platform::ArchiveStream& stream);

  // The `size` bytes at `offset`; none when the archive ends before them.
  std::optional<std::string_view> Bytes(std::uint64_t offset, std::size_t size);
  std::uint64_t ArchiveSize() const { return size_; }

 private:
  platform::ArchiveStream& stream_;
  std::uint64_t size_;
  std::string buffer_;
  std::uint64_t bufferStart_ = 0;
};

struct CentralPlace {
  // Where the first record lies in the file.
  std::uint64_t start = 0;
  // Bytes before the archive proper (a self-extractor's program): every
  // offset the records give is relative to the archive.
  std::uint64_t bytesBefore = 0;
};

// Where the central directory lies, found the way minizip's open finds it
// (the last end record within the last 64 KiB, or the zip64 end record its
// locator names); none when minizip would not open the archive.
std::optional<CentralPlace> LocateCentralDirectory(ArchiveCursor& cursor);

struct CentralRecord {
  // The stored name bytes.
  std::string name;
  std::uint16_t versionMadeBy = 0;
  std::uint16_t flag = 0;
  std::uint16_t method = 0;
  std::uint32_t dosDateTime = 0;
  std::uint32_t crc = 0;
  std::uint32_t externalAttributes = 0;
  // Past 4 GiB from the zip64 block of the extra field.
  std::uint64_t compressedSize = 0;
  std::uint64_t uncompressedSize = 0;
  std::uint64_t localHeaderOffset = 0;
};

// At most `count` records from `place` on, in directory order, up to the
// first one the file cuts short or whose signature is wrong.
std::vector<CentralRecord> ReadCentralRecords(ArchiveCursor& cursor, const CentralPlace& place,
                                              std::uint64_t count);
