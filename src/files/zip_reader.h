// Reading zip archives: listing entries and extracting them one at a time
// below a target directory.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/archive_files.h"
#include "platform/file_system.h"

// Result codes of every ZipReader operation, tested by equality.
enum ArchiveResult : std::uint32_t {
  ArchiveOk = 0,
  // The archive cannot be opened or its central directory is unusable; or the
  // target file cannot be created (also when the target path is too long).
  ArchiveFileError = 0x200,
  ArchiveWriteError = 0x400,
  // The local header is unreadable or disagrees with the central directory,
  // the entry's data shares bytes with another entry's, the compression
  // method is neither stored nor deflated, or the stored name is longer than
  // an entry name may be.
  ArchiveHeaderError = 0x700,
  ArchiveReadError = 0x800,
  ArchivePasswordError = 0x1000,
  // Index out of range, no reader, or a target directory that is too long.
  ArchiveArgumentError = 0x10000,
  // Data unreadable, corrupt, truncated, or failing its CRC-32.
  ArchiveDataError = 0x5000000,
};

// Attribute bits of ArchiveEntry::attributes.
inline constexpr std::uint32_t kArchiveReadOnly = 0x01;
inline constexpr std::uint32_t kArchiveHidden = 0x02;
inline constexpr std::uint32_t kArchiveSystem = 0x04;
inline constexpr std::uint32_t kArchiveDirectory = 0x10;
inline constexpr std::uint32_t kArchiveArchive = 0x20;

// Room for a name, its terminator included: a whole path of the platform
// (MAX_PATH on Windows, PATH_MAX on Linux). The paths the reader composes
// have the same limit (platform::kMaxPathChars).
inline constexpr std::size_t kArchivePathChars = platform::kMaxPathChars + 1;

struct ArchiveEntry {
  // Position in the central directory; for index -1 the number of entries.
  std::int32_t index = 0;
  // The cleaned relative name, zero-terminated; empty for index -1.
  wchar_t name[kArchivePathChars] = {};
  std::uint32_t attributes = 0;
  platform::FileTime accessTime = 0;
  platform::FileTime creationTime = 0;
  platform::FileTime writeTime = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t uncompressedSize = 0;
};

// Copies `from` into `to`, the name only up to its terminator: a name buffer
// is a whole path long, mostly unused.
void CopyArchiveEntry(const ArchiveEntry& from, ArchiveEntry& to);

class ZipReader;
struct EntryPlan;

struct ZipReaderCloser {
  void operator()(ZipReader* reader) const;
};
// Owns an open reader; releasing it closes the archive.
using ZipReaderHandle = std::unique_ptr<ZipReader, ZipReaderCloser>;

// Every operation taking a reader gives ArchiveArgumentError for a null one.
class ZipReader {
 public:
  // A reader positioned at the first entry, its target directory the current
  // directory; null (ArchiveFileError) when the archive cannot be opened or is
  // not a single-disk zip archive. `files` must outlive the reader.
  static ZipReaderHandle Open(const platform::ArchiveFiles& files, std::wstring_view path);

  // ArchiveArgumentError, keeping the old directory, when `directory` with its
  // separator would not leave room for a name within kArchivePathChars.
  static ArchiveResult SetTargetDirectory(ZipReader* reader, std::wstring_view directory);

  // The sum of the uncompressed sizes the central directory declares.
  static ArchiveResult GetUnpackedSize(ZipReader* reader, std::uint64_t* bytes);

  // Index -1 fills in the number of entries and leaves the position alone.
  static ArchiveResult GetEntry(ZipReader* reader, int index, ArchiveEntry* entry);

  // Extracts entry `index` to `targetName`, relative to the target directory
  // unless it is absolute.
  static ArchiveResult ExtractEntry(ZipReader* reader, int index, std::wstring_view targetName);

  // What ExtractEntry would do, without doing it: the entry is looked up and
  // its target checked, but nothing is created. ExtractEntry is this plan
  // carried out with CreateEntryDirectories and WriteFileEntry.
  static ArchiveResult PlanExtraction(ZipReader* reader, int index, std::wstring_view targetName,
                                      EntryPlan* plan);

  // The open archive, for WriteFileEntry on other threads; it allows
  // concurrent positioned reads. Valid until Close.
  static platform::ArchiveStream& Archive(ZipReader& reader);

  static ArchiveResult Close(ZipReaderHandle reader);

  ~ZipReader();

 private:
  struct State;
  explicit ZipReader(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};
