// Owns a POSIX file descriptor.
#pragma once

#include <unistd.h>

#include "platform/unique_resource.h"

namespace platform {

struct FileDescriptorTraits {
  using Handle = int;
  static Handle Invalid() { return -1; }
  static bool IsValid(Handle fd) { return fd >= 0; }
  static bool Close(Handle fd) { return ::close(fd) == 0; }
};

using UniqueFd = UniqueResource<FileDescriptorTraits>;

}  // namespace platform
