#include "platform/linux/write_all.h"

#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/errno_error.h"

namespace platform {

bool WriteAll(int fd, const char* data, std::size_t size, std::optional<std::uint64_t> offset) {
  while (size > 0) {
    ssize_t n =
        offset ? ::pwrite(fd, data, size, static_cast<off_t>(*offset)) : ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
    if (offset) *offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

SystemResult DescriptorWriter::Write(const char* data, std::size_t size,
                                     std::optional<std::uint64_t> offset) {
  if (WriteAll(fd_.Get(), data, size, offset)) return {};
  if (!failure_) failure_ = ErrnoError(errno);
  return *failure_;
}

SystemResult DescriptorWriter::Flush() {
  if (::fsync(fd_.Get()) != 0 && !failure_) failure_ = ErrnoError(errno);
  if (failure_) return *failure_;
  return {};
}

SystemResult DescriptorWriter::Close() {
  if (!fd_.Valid()) return ErrnoError(EBADF);
  if (::close(fd_.Release()) != 0 && !failure_) failure_ = ErrnoError(errno);
  if (failure_) return *failure_;
  return {};
}

}  // namespace platform
