#include "platform/sparse_file.h"

#include <fcntl.h>

#include "platform/file_system.h"
#include "platform/linux/unique_fd.h"
#include "platform/linux/write_all.h"

namespace platform {
namespace {

// Writing past the end leaves a hole on every Linux file system.
class PosixSparseFile final : public SparseFile {
 public:
  explicit PosixSparseFile(UniqueFd fd) : fd_(std::move(fd)) {}

  bool WriteAt(std::uint64_t offset, const char* data, std::size_t size) override {
    if (WriteAll(fd_.Get(), data, size, offset)) return true;
    failed_ = true;
    return false;
  }

  bool Close() override {
    if (!fd_.Valid()) return false;
    return ::close(fd_.Release()) == 0 && !failed_;
  }

 private:
  UniqueFd fd_;
  bool failed_ = false;
};

}  // namespace

std::unique_ptr<SparseFile> CreateSparseFile(const std::wstring& path) {
  UniqueFd fd(::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!fd.Valid()) return nullptr;
  return std::make_unique<PosixSparseFile>(std::move(fd));
}

}  // namespace platform
