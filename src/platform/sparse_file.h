// A file written at chosen offsets, for the local copy of a package of which
// only some byte ranges are fetched: the rest stays holes where the file
// system supports them, so the copy costs only the bytes that came.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/system_error.h"

namespace platform {

class SparseFile {
 public:
  virtual ~SparseFile() = default;
  // Writes at `offset`, growing the file as needed.
  virtual SystemResult WriteAt(std::uint64_t offset, const char* data, std::size_t size) = 0;
  // Closes the file; a failure when closing or any write failed, with the
  // first cause.
  virtual SystemResult Close() = 0;
};

struct CreatedSparseFile {
  std::unique_ptr<SparseFile> file;
  // Why `file` is null.
  SystemError error;
};
// Creates `path` empty, replacing any file there.
CreatedSparseFile CreateSparseFile(const std::wstring& path);

}  // namespace platform
