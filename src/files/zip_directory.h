// The central directory of a zip archive read from bytes in memory, for the
// update that fetches only the entries that changed: it learns every entry's
// size, CRC-32 and place from the package's last bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The end-of-central-directory record's 22 bytes and the longest comment.
inline constexpr std::uint64_t kZipEndSearchBytes = 22 + 0xFFFF;

struct ZipEnd {
  std::uint64_t directoryOffset = 0;
  std::uint64_t directorySize = 0;
  std::uint64_t entryCount = 0;
};

enum class ZipEndProblem {
  None,
  // No end record whose comment reaches exactly to the end of the file.
  Missing,
  // A zip64 archive: not read this way.
  Zip64,
  MultiDisk,
  // The directory does not end where the end record begins (data before the
  // archive, or a record that lies).
  Misplaced,
};

struct ZipEndScan {
  ZipEndProblem problem = ZipEndProblem::Missing;
  ZipEnd end;
};

// Finds the end record in `tail`, the file's last bytes, which begin at
// `tailOffset`.
ZipEndScan FindZipEnd(std::string_view tail, std::uint64_t tailOffset);

struct ZipDirectoryEntry {
  // The stored name bytes.
  std::string name;
  std::uint16_t versionMadeBy = 0;
  std::uint16_t method = 0;
  std::uint32_t externalAttributes = 0;
  std::uint32_t crc = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t uncompressedSize = 0;
  std::uint64_t localHeaderOffset = 0;
};

// Every record of the central directory `bytes` (exactly `end.directorySize`
// bytes), in directory order; none when a record is cut short, has a zip64
// marker, points at or past the directory, or the count differs from the end
// record's.
std::optional<std::vector<ZipDirectoryEntry>> ParseZipDirectory(std::string_view bytes,
                                                                const ZipEnd& end);
