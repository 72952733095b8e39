#include "files/zip_directory.h"

#include "files/little_endian.h"

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kRecordSignature = 0x02014b50;
constexpr std::size_t kEndBytes = 22;
constexpr std::size_t kZip64LocatorBytes = 20;
constexpr std::size_t kRecordBytes = 46;

std::uint32_t Read16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint32_t>(ReadLittleEndian(bytes, at, 2));
}

std::uint32_t Read32(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint32_t>(ReadLittleEndian(bytes, at, 4));
}

}  // namespace

ZipEndScan FindZipEnd(std::string_view tail, std::uint64_t tailOffset) {
  ZipEndScan scan;
  if (tail.size() < kEndBytes) return scan;
  // The last record whose comment runs exactly to the end: a comment may
  // itself hold the signature.
  for (std::size_t at = tail.size() - kEndBytes + 1; at-- > 0;) {
    if (Read32(tail, at) != kEndSignature) continue;
    if (at + kEndBytes + Read16(tail, at + 20) != tail.size()) continue;
    std::uint32_t disk = Read16(tail, at + 4);
    std::uint32_t directoryDisk = Read16(tail, at + 6);
    std::uint32_t entriesHere = Read16(tail, at + 8);
    std::uint32_t entries = Read16(tail, at + 10);
    std::uint32_t size = Read32(tail, at + 12);
    std::uint32_t offset = Read32(tail, at + 16);
    bool zip64Locator =
        at >= kZip64LocatorBytes && Read32(tail, at - kZip64LocatorBytes) == kZip64LocatorSignature;
    if (zip64Locator || entries == 0xFFFF || size == 0xFFFFFFFF || offset == 0xFFFFFFFF) {
      scan.problem = ZipEndProblem::Zip64;
    } else if (disk != 0 || directoryDisk != 0 || entriesHere != entries) {
      scan.problem = ZipEndProblem::MultiDisk;
    } else if (std::uint64_t{offset} + size != tailOffset + at) {
      scan.problem = ZipEndProblem::Misplaced;
    } else {
      scan.problem = ZipEndProblem::None;
      scan.end = ZipEnd{offset, size, entries};
    }
    return scan;
  }
  return scan;
}

std::optional<std::vector<ZipDirectoryEntry>> ParseZipDirectory(std::string_view bytes,
                                                                const ZipEnd& end) {
  if (bytes.size() != end.directorySize) return std::nullopt;
  std::vector<ZipDirectoryEntry> entries;
  std::size_t at = 0;
  while (at < bytes.size()) {
    if (bytes.size() - at < kRecordBytes || Read32(bytes, at) != kRecordSignature) {
      return std::nullopt;
    }
    std::size_t nameLength = Read16(bytes, at + 28);
    std::size_t recordLength =
        kRecordBytes + nameLength + Read16(bytes, at + 30) + Read16(bytes, at + 32);
    if (bytes.size() - at < recordLength) return std::nullopt;
    ZipDirectoryEntry entry;
    entry.versionMadeBy = static_cast<std::uint16_t>(Read16(bytes, at + 4));
    entry.method = static_cast<std::uint16_t>(Read16(bytes, at + 10));
    entry.crc = Read32(bytes, at + 16);
    entry.compressedSize = Read32(bytes, at + 20);
    entry.uncompressedSize = Read32(bytes, at + 24);
    entry.externalAttributes = Read32(bytes, at + 38);
    entry.localHeaderOffset = Read32(bytes, at + 42);
    entry.name.assign(bytes.substr(at + kRecordBytes, nameLength));
    if (entry.compressedSize == 0xFFFFFFFF || entry.uncompressedSize == 0xFFFFFFFF ||
        entry.localHeaderOffset == 0xFFFFFFFF || Read16(bytes, at + 34) != 0 ||
        entry.localHeaderOffset >= end.directoryOffset) {
      return std::nullopt;
    }
    entries.push_back(std::move(entry));
    at += recordLength;
  }
  if (entries.size() != end.entryCount) return std::nullopt;
  return entries;
}
