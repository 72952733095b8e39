// Owns a kernel handle. CreateFileW fails with INVALID_HANDLE_VALUE, most
// other calls with null, so both count as "no handle".
#pragma once

#include <windows.h>

#include "platform/unique_resource.h"

namespace platform {

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static bool Close(Handle handle) { return ::CloseHandle(handle) != 0; }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;

}  // namespace platform
