#include "files/entry_attributes.h"

#include "files/zip_reader.h"
#include "platform/file_system.h"

namespace {

// MS-DOS, Macintosh, NTFS and VFAT store DOS attribute bits.
bool StoresDosAttributes(std::uint16_t versionMadeBy) {
  switch (versionMadeBy >> 8) {
    case 0:
    case 7:
    case 11:
    case 14:
      return true;
    default:
      return false;
  }
}

constexpr std::uint32_t kUnixOwnerWrite = 1u << 23;
constexpr std::uint32_t kUnixDirectoryType = 1u << 30;
constexpr std::uint32_t kExecuteBits = 0111;
constexpr std::uint32_t kWriteBits = 0222;

}  // namespace

std::uint32_t EntryAttributes(std::uint16_t versionMadeBy, std::uint32_t externalAttributes) {
  if (StoresDosAttributes(versionMadeBy)) {
    return externalAttributes & (kArchiveReadOnly | kArchiveHidden | kArchiveSystem |
                                 kArchiveDirectory | kArchiveArchive);
  }
  std::uint32_t attributes = kArchiveArchive;
  if ((externalAttributes & kUnixDirectoryType) != 0) attributes |= kArchiveDirectory;
  if ((externalAttributes & kUnixOwnerWrite) == 0) attributes |= kArchiveReadOnly;
  return attributes;
}

bool IsDirectoryEntry(std::uint16_t versionMadeBy, std::uint32_t externalAttributes,
                      std::wstring_view storedName) {
  if (!storedName.empty() && platform::IsPathSeparator(storedName.back())) return true;
  return (EntryAttributes(versionMadeBy, externalAttributes) & kArchiveDirectory) != 0;
}

platform::OutputFileMode EntryFileMode(std::uint16_t versionMadeBy,
                                       std::uint32_t externalAttributes) {
  platform::OutputFileMode mode;
  mode.attributes = EntryAttributes(versionMadeBy, externalAttributes);
  mode.permissions = 0666;
  if (!StoresDosAttributes(versionMadeBy))
    mode.permissions |= (externalAttributes >> 16) & kExecuteBits;
  if ((mode.attributes & kArchiveReadOnly) != 0) mode.permissions &= ~kWriteBits;
  return mode;
}
