// Owns an open registry key.
#pragma once

#include <windows.h>

namespace platform {

class UniqueRegistryKey {
 public:
  UniqueRegistryKey() = default;
  UniqueRegistryKey(const UniqueRegistryKey&) = delete;
  UniqueRegistryKey& operator=(const UniqueRegistryKey&) = delete;
  ~UniqueRegistryKey() {
    if (key_ != nullptr) ::RegCloseKey(key_);
  }

  HKEY Get() const { return key_; }
  HKEY* Receive() { return &key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace platform
