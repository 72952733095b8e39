#include "platform/linux/write_all.h"

#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

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

}  // namespace platform
