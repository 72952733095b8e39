// Writing every byte to a descriptor: write() and pwrite() may stop short or
// be interrupted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/linux/unique_fd.h"
#include "platform/system_error.h"

namespace platform {

// At `offset` when given, else at the file position.
bool WriteAll(int fd, const char* data, std::size_t size,
              std::optional<std::uint64_t> offset = std::nullopt);

// A descriptor written until it is closed. The first failure is kept and
// reported again by every later write and by the close, as callers may look
// only at the end.
class DescriptorWriter {
 public:
  explicit DescriptorWriter(UniqueFd fd) : fd_(std::move(fd)) {}
  SystemResult Write(const char* data, std::size_t size,
                     std::optional<std::uint64_t> offset = std::nullopt);
  SystemResult Flush();
  SystemResult Close();

 private:
  UniqueFd fd_;
  std::optional<SystemError> failure_;
};

}  // namespace platform
