// A file written at chosen offsets, for the local copy of a package of which
// only some byte ranges are fetched: the rest stays holes where the file
// system supports them, so the copy costs only the bytes that came.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class SparseFile {
 public:
  virtual ~SparseFile() = default;
  // Writes at `offset`, growing the file as needed.
  virtual bool WriteAt(std::uint64_t offset, const char* data, std::size_t size) = 0;
  // Closes the file; false when it or any write failed.
  virtual bool Close() = 0;
};

// Creates `path` empty, replacing any file there; null when it cannot.
std::unique_ptr<SparseFile> CreateSparseFile(const std::wstring& path);

}  // namespace platform
