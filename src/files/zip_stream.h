// minizip's file functions over an ArchiveStream. minizip reads headers a few
// bytes at a time and seeks before every read, so small reads are served from
// a window of the file and seeks only move a cursor.
#pragma once

#include <minizip/ioapi.h>

#include <cstdint>
#include <vector>

#include "platform/archive_files.h"

class ZipStream {
 public:
  explicit ZipStream(platform::ArchiveStream& stream);
  ZipStream(const ZipStream&) = delete;
  ZipStream& operator=(const ZipStream&) = delete;

  // File functions whose open callback takes this object as its "path".
  zlib_filefunc64_def FileFunctions();

  std::size_t Read(void* buffer, std::size_t size);
  bool Seek(std::int64_t offset, int origin);
  std::uint64_t Tell() const { return position_; }
  bool Failed() const { return failed_; }

 private:
  platform::ArchiveStream& stream_;
  std::uint64_t size_;
  std::uint64_t position_ = 0;
  bool failed_ = false;
  std::vector<unsigned char> window_;
  std::uint64_t windowStart_ = 0;
  std::size_t windowLength_ = 0;
};
