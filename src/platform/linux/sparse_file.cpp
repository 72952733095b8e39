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
  explicit PosixSparseFile(UniqueFd fd) : fd_(std::move(fd)) {}

  SystemResult WriteAt(std::uint64_t offset, const char* data, std::size_t size) override {
    if (WriteAll(fd_.Get(), data, size, offset)) return {};
    if (!failure_) failure_ = ErrnoError(errno);
    return *failure_;
  }

  SystemResult Close() override {
    if (!fd_.Valid()) return ErrnoError(EBADF);
    if (::close(fd_.Release()) != 0 && !failure_) failure_ = ErrnoError(errno);
    if (failure_) return *failure_;
    return {};
  }

 private:
  UniqueFd fd_;
  std::optional<SystemError> failure_;
};

}  // namespace

CreatedSparseFile CreateSparseFile(const std::wstring& path) {
  UniqueFd fd(::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!fd.Valid()) return {nullptr, ErrnoError(errno)};
  return {std::make_unique<PosixSparseFile>(std::move(fd)), {}};
}

}  // namespace platform
