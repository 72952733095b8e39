#include "platform/sparse_file.h"

#include <fcntl.h>

#include <cerrno>
#include <optional>

#include "platform/file_system.h"
#include "platform/linux/errno_error.h"
#include "platform/linux/unique_fd.h"
#include "platform/linux/write_all.h"

namespace platform {
namespace {

// Writing past the end leaves a hole on every Linux file system.
class PosixSparseFile final : public SparseFile {
 public:
  explicit PosixSparseFile(UniqueFd fd) : writer_(std::move(fd)) {}

  SystemResult WriteAt(std::uint64_t offset, const char* data, std::size_t size) override {
    return writer_.Write(data, size, offset);
  }
  SystemResult Close() override { return writer_.Close(); }

 private:
  DescriptorWriter writer_;
};

}  // namespace

CreatedSparseFile CreateSparseFile(const std::wstring& path) {
  UniqueFd fd(::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!fd.Valid()) return {nullptr, ErrnoError(errno)};
  return {std::make_unique<PosixSparseFile>(std::move(fd)), {}};
}

}  // namespace platform
