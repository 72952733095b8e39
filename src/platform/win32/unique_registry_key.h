// Owns an open registry key.
#pragma once

#include <windows.h>

#include "platform/unique_resource.h"

namespace platform {

struct RegistryKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle key) { return key != nullptr; }
  static bool Close(Handle key) { return ::RegCloseKey(key) == ERROR_SUCCESS; }
};

using UniqueRegistryKey = UniqueResource<RegistryKeyTraits>;

}  // namespace platform
