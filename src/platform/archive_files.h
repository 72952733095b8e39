// Every file operation of the update and of archive extraction: reading the
// archive, writing the extracted files with their times and attributes,
// making directories, and the downloads' parts, records and local copies.
// One interface, so that a test can fake any of them or fail each in turn.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <string_view>

#include "platform/file_system.h"
#include "platform/sparse_file.h"

namespace platform {

// 100-nanosecond units since 1601-01-01 UTC (a Windows FILETIME).
using FileTime = std::uint64_t;

// Part of a file mapped into memory; unmapped when destroyed.
class MappedBytes {
 public:
  virtual ~MappedBytes() = default;
  virtual unsigned char* Data() = 0;
  virtual std::size_t Size() const = 0;
  // Lets the system take back the pages touched so far: they stay the file's
  // and are read again when touched again, so this may be called from any
  // thread at any time, even while another thread reads or writes them.
  virtual void Release() = 0;
};

// An archive opened read-only and shared for reading. Reads are positioned, so
// seeking costs nothing.
class ArchiveStream {
 public:
  virtual ~ArchiveStream() = default;
  virtual std::uint64_t Size() const = 0;
  // Bytes read at `offset`; fewer than `size` only at the end or on failure.
  virtual std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) = 0;
  // The `size` bytes at `offset`, read-only; none where mapping is not offered.
  virtual std::unique_ptr<MappedBytes> Map(std::uint64_t, std::size_t) { return nullptr; }
};

// How an extracted file is created: Windows uses the attribute bits, Linux the
// permission bits (both are chosen by the launcher).
struct OutputFileMode {
  std::uint32_t attributes = 0;
  std::uint32_t permissions = 0666;
};

// A file created for writing; closed when destroyed.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual bool Write(const void* bytes, std::size_t size) = 0;
  // Times the platform cannot store (creation on Linux) are ignored.
  virtual bool SetTimes(FileTime creation, FileTime access, FileTime write) = 0;
  // The still empty file, its room of `size` bytes taken on the volume,
  // mapped for writing; none where mapping is not offered or the volume has
  // no room. Unmap it before SetTimes: writes through it touch the times.
  virtual std::unique_ptr<MappedBytes> MapForWriting(std::size_t) { return nullptr; }
  // Makes the file empty again, the next Write at its start.
  virtual bool Empty() { return false; }
};

// A local date and time as a DOS timestamp carries it.
struct LocalDateTime {
  int year = 1980;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

class ArchiveFiles {
 public:
  virtual ~ArchiveFiles() = default;
  // Null when the file does not exist or cannot be opened.
  virtual std::unique_ptr<ArchiveStream> OpenArchive(const std::wstring& path) const = 0;
  // A new file; null when anything exists at `path` or it cannot be made.
  virtual std::unique_ptr<OutputFile> CreateNewFile(const std::wstring& path,
                                                    const OutputFileMode& mode) const = 0;
  // Lets the owner write a regular file again (Windows will not delete a
  // read-only one); symbolic links are left alone.
  virtual bool MakeWritable(const std::wstring& path) const = 0;
  // The regular file at `path` has what CreateNewFile would give it of
  // `mode`: the owner's write and execute bits on Linux (the umask decides
  // the rest), the read-only, hidden and system attributes on Windows.
  virtual bool HasMode(const std::wstring& path, const OutputFileMode& mode) const = 0;
  // Removes a file, not a directory.
  virtual bool RemoveFile(const std::wstring& path) const = 0;
  virtual PathKind GetPathKind(const std::wstring& path) const = 0;
  // One level; the parent must exist.
  virtual bool MakeDirectory(const std::wstring& path) const = 0;
  virtual std::wstring CurrentDirectory() const = 0;
  // The bytes the current user may still write on the volume holding the
  // existing directory `directory`; none when the system cannot tell.
  virtual std::optional<std::uint64_t> AvailableBytes(const std::wstring& directory) const = 0;
  // The UTC time of a valid local time; none when the calendar has no such
  // time.
  virtual std::optional<FileTime> LocalToFileTime(const LocalDateTime& local) const = 0;

  // As the functions of file_system.h and sparse_file.h of the same names.
  virtual ReadStatus ReadWholeFile(const std::wstring& path, std::size_t limit,
                                   std::string& bytes) const = 0;
  virtual SystemResult ReplaceFileContents(const std::wstring& path,
                                           std::string_view bytes) const = 0;
  virtual std::optional<std::uint64_t> FileSize(const std::wstring& path) const = 0;
  virtual SystemResult MoveFileOver(const std::wstring& from, const std::wstring& to) const = 0;
  virtual OpenedFile OpenAppendingFile(const std::wstring& path, bool append) const = 0;
  virtual CreatedSparseFile CreateSparseFile(const std::wstring& path) const = 0;
};

// The operations that both platforms' archive files take from the functions
// of file_system.h and sparse_file.h.
class DiskFiles : public ArchiveFiles {
 public:
  ReadStatus ReadWholeFile(const std::wstring& path, std::size_t limit,
                           std::string& bytes) const override {
    return platform::ReadWholeFile(path, limit, bytes);
  }
  SystemResult ReplaceFileContents(const std::wstring& path,
                                   std::string_view bytes) const override {
    return platform::ReplaceFileContents(path, bytes);
  }
  std::optional<std::uint64_t> FileSize(const std::wstring& path) const override {
    return platform::FileSize(path);
  }
  SystemResult MoveFileOver(const std::wstring& from, const std::wstring& to) const override {
    return platform::MoveFileOver(from, to);
  }
  OpenedFile OpenAppendingFile(const std::wstring& path, bool append) const override {
    return platform::OpenAppendingFile(path, append);
  }
  CreatedSparseFile CreateSparseFile(const std::wstring& path) const override {
    return platform::CreateSparseFile(path);
  }
  PathKind GetPathKind(const std::wstring& path) const override {
    return platform::GetPathKind(path);
  }
  bool MakeDirectory(const std::wstring& path) const override {
    return platform::MakeDirectory(path);
  }
};

std::unique_ptr<ArchiveFiles> MakeSystemArchiveFiles();

}  // namespace platform
