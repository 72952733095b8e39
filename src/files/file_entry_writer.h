// Writing one file entry of an archive to its target. Touches only the
// archive's positioned reads and the file system, so each thread of an
// extraction can write its own entries.
#pragma once

#include <libdeflate.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/entry_data.h"
#include "files/read_ahead.h"
#include "files/zip_reader.h"
#include "platform/archive_files.h"
#include "platform/unique_resource.h"

// Everything a file entry's extraction needs once the reader has looked the
// entry up and made its directories.
struct FileEntryJob {
  // With the platform's separators.
  std::wstring targetPath;
  platform::OutputFileMode mode;
  EntryFacts facts;
  // Where the entry's raw data begins in the archive.
  std::uint64_t dataOffset = 0;
  platform::FileTime creationTime = 0;
  platform::FileTime accessTime = 0;
  platform::FileTime writeTime = 0;
};

// The decoders and buffers one thread reuses from entry to entry; they grow
// to the largest entry decoded whole.
class EntryBuffers {
 public:
  EntryBuffers();
  EntryBuffers(const EntryBuffers&) = delete;
  EntryBuffers& operator=(const EntryBuffers&) = delete;
  ~EntryBuffers();

  unsigned char* Input(std::size_t size) { return Reserve(input_, inputSize_, size); }
  unsigned char* Output(std::size_t size) { return Reserve(output_, outputSize_, size); }
  libdeflate_decompressor* Decompressor();

  RawInflater inflater;
  std::vector<unsigned char> transfer;
  std::vector<unsigned char> streamInput;
  ReadAheadWindow readAhead;

 private:
  // Not zero-filled: every byte is written before it is read.
  static unsigned char* Reserve(std::unique_ptr<unsigned char[]>& buffer, std::size_t& capacity,
                                std::size_t size);

  platform::UniqueAny<libdeflate_decompressor*, libdeflate_free_decompressor> decompressor_;
  std::unique_ptr<unsigned char[]> input_;
  std::size_t inputSize_ = 0;
  std::unique_ptr<unsigned char[]> output_;
  std::size_t outputSize_ = 0;
};

// What extracting one entry takes, as the reader plans it on its own thread.
struct EntryPlan {
  // The directories to make first: `directories` below `base`, or taken as
  // they are when there is no base.
  std::optional<std::wstring> base;
  std::wstring directories;
  // A file entry, written as `file` says; a directory entry needs nothing more.
  bool isFile = false;
  FileEntryJob file;
};

// Creates the target file (replacing one left by an earlier install), fills
// it and applies the entry's times. A deflated entry of bounded size is
// decoded in one piece by libdeflate from the whole raw data to the whole
// output, through buffers, or through mappings of the archive and the output
// file when it is larger and the platform maps files; larger or encrypted
// ones, and stored ones, stream through zlib and the transfer buffer. The
// size and CRC-32 are checked either way. Small reads of the archive go
// through the thread's read-ahead window.
ArchiveResult WriteFileEntry(const platform::ArchiveFiles& files, platform::ArchiveStream& archive,
                             const FileEntryJob& job, EntryBuffers& buffers);
