// Writing every byte to a descriptor: write() and pwrite() may stop short or
// be interrupted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform {

// At `offset` when given, else at the file position.
bool WriteAll(int fd, const char* data, std::size_t size,
              std::optional<std::uint64_t> offset = std::nullopt);

}  // namespace platform
