#include "files/central_records.h"

#include <algorithm>

#include "files/little_endian.h"
#include "files/zip64_sizes.h"

namespace {

constexpr std::size_t kCursorBytes = 64 * 1024;
// minizip looks for the end records this far back, a kilobyte at a time.
constexpr std::uint64_t kSearchBytes = 0xFFFF;
constexpr std::uint64_t kSearchStep = 0x400;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kRecordSignature = 0x02014b50;
constexpr std::size_t kEndBytes = 22;
constexpr std::size_t kZip64LocatorBytes = 20;
constexpr std::size_t kZip64EndBytes = 56;
constexpr std::size_t kRecordBytes = 46;

std::uint64_t Read(std::string_view bytes, std::size_t at, std::size_t width) {
  return ReadLittleEndian(bytes, at, width);
}

// The last place of `signature` within the archive's last bytes; 0 when
// there is none (minizip takes a record at the very start for none too).
std::uint64_t SearchBackwards(ArchiveCursor& cursor, std::uint32_t signature) {
  std::uint64_t size = cursor.ArchiveSize();
  std::uint64_t maxBack = std::min(kSearchBytes, size);
  std::uint64_t backRead = 4;
  while (backRead < maxBack) {
    backRead = backRead + kSearchStep > maxBack ? maxBack : backRead + kSearchStep;
    std::uint64_t readAt = size - backRead;
    auto readSize = static_cast<std::size_t>(std::min(kSearchStep + 4, size - readAt));
    std::optional<std::string_view> bytes = cursor.Bytes(readAt, readSize);
    if (!bytes) return 0;
    for (std::size_t i = readSize - 3; i-- > 0;) {
      if (Read(*bytes, i, 4) == signature) {
        if (readAt + i != 0) return readAt + i;
        break;
      }
    }
  }
  return 0;
}

// The zip64 end record its locator names, when both are sound.
std::uint64_t FindZip64End(ArchiveCursor& cursor) {
  std::uint64_t locator = SearchBackwards(cursor, kZip64LocatorSignature);
  if (locator == 0) return 0;
  std::optional<std::string_view> bytes = cursor.Bytes(locator, kZip64LocatorBytes);
  if (!bytes || Read(*bytes, 4, 4) != 0 || Read(*bytes, 16, 4) != 1) return 0;
  std::uint64_t end = Read(*bytes, 8, 8);
  std::optional<std::string_view> signature = cursor.Bytes(end, 4);
  if (!signature || Read(*signature, 0, 4) != kZip64EndSignature) return 0;
  return end;
}

}  // namespace

ArchiveCursor::ArchiveCursor(platform::ArchiveStream& stream)
    : stream_(stream), size_(stream.Size()) {}

std::optional<std::string_view> ArchiveCursor::Bytes(std::uint64_t offset, std::size_t size) {
  if (offset > size_ || size > size_ - offset) return std::nullopt;
  bool covered = offset >= bufferStart_ && offset - bufferStart_ <= buffer_.size() &&
                 size <= buffer_.size() - (offset - bufferStart_);
  if (!covered) {
    auto length = static_cast<std::size_t>(
        std::min<std::uint64_t>(std::max(size, kCursorBytes), size_ - offset));
    buffer_.resize(length);
    bufferStart_ = offset;
    std::size_t got = stream_.ReadAt(offset, buffer_.data(), length);
    buffer_.resize(got);
    if (got < size) return std::nullopt;
  }
  return std::string_view(buffer_).substr(static_cast<std::size_t>(offset - bufferStart_), size);
}

std::optional<CentralPlace> LocateCentralDirectory(ArchiveCursor& cursor) {
  std::uint64_t endAt = FindZip64End(cursor);
  std::uint64_t disk = 0;
  std::uint64_t directoryDisk = 0;
  std::uint64_t entriesHere = 0;
  std::uint64_t entries = 0;
  std::uint64_t size = 0;
  std::uint64_t offset = 0;
  if (endAt != 0) {
    std::optional<std::string_view> end = cursor.Bytes(endAt, kZip64EndBytes);
    if (!end) return std::nullopt;
    disk = Read(*end, 16, 4);
    directoryDisk = Read(*end, 20, 4);
    entriesHere = Read(*end, 24, 8);
    entries = Read(*end, 32, 8);
    size = Read(*end, 40, 8);
    offset = Read(*end, 48, 8);
  } else {
    endAt = SearchBackwards(cursor, kEndSignature);
    if (endAt == 0) return std::nullopt;
    std::optional<std::string_view> end = cursor.Bytes(endAt, kEndBytes);
    if (!end) return std::nullopt;
    disk = Read(*end, 4, 2);
    directoryDisk = Read(*end, 6, 2);
    entriesHere = Read(*end, 8, 2);
    entries = Read(*end, 10, 2);
    size = Read(*end, 12, 4);
    offset = Read(*end, 16, 4);
  }
  if (entries != entriesHere || directoryDisk != 0 || disk != 0) return std::nullopt;
  if (endAt < offset + size) return std::nullopt;
  CentralPlace place;
  place.bytesBefore = endAt - (offset + size);
  place.start = offset + place.bytesBefore;
  return place;
}

std::vector<CentralRecord> ReadCentralRecords(ArchiveCursor& cursor, const CentralPlace& place,
                                              std::uint64_t count) {
  std::vector<CentralRecord> records;
  std::uint64_t at = place.start;
  for (std::uint64_t i = 0; i < count; ++i) {
    std::optional<std::string_view> header = cursor.Bytes(at, kRecordBytes);
    if (!header || Read(*header, 0, 4) != kRecordSignature) break;
    CentralRecord record;
    record.versionMadeBy = static_cast<std::uint16_t>(Read(*header, 4, 2));
    record.flag = static_cast<std::uint16_t>(Read(*header, 8, 2));
    record.method = static_cast<std::uint16_t>(Read(*header, 10, 2));
    record.dosDateTime = static_cast<std::uint32_t>(Read(*header, 12, 4));
    record.crc = static_cast<std::uint32_t>(Read(*header, 16, 4));
    record.compressedSize = Read(*header, 20, 4);
    record.uncompressedSize = Read(*header, 24, 4);
    auto nameLength = static_cast<std::size_t>(Read(*header, 28, 2));
    auto extraLength = static_cast<std::size_t>(Read(*header, 30, 2));
    auto commentLength = static_cast<std::size_t>(Read(*header, 32, 2));
    record.externalAttributes = static_cast<std::uint32_t>(Read(*header, 38, 4));
    record.localHeaderOffset = Read(*header, 42, 4);
    std::optional<std::string_view> name = cursor.Bytes(at + kRecordBytes, nameLength);
    if (!name) break;
    record.name.assign(*name);
    std::optional<std::string_view> extra =
        cursor.Bytes(at + kRecordBytes + nameLength, extraLength);
    if (!extra) break;
    EntrySizes sizes{record.uncompressedSize, record.compressedSize, record.localHeaderOffset};
    ApplyZip64Sizes(*extra, sizes);
    record.uncompressedSize = sizes.uncompressed;
    record.compressedSize = sizes.compressed;
    record.localHeaderOffset = sizes.localHeaderOffset;
    records.push_back(std::move(record));
    at += kRecordBytes + nameLength + extraLength + commentLength;
  }
  return records;
}
