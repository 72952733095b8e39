// Owns a kernel handle. CreateFileW fails with INVALID_HANDLE_VALUE, most
// other calls with null, so both count as "no handle".
#pragma once

#include <windows.h>

namespace platform {

class UniqueHandle {
 public:
  explicit UniqueHandle(HANDLE handle = nullptr) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  HANDLE Get() const { return handle_; }
  bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  // False when closing the old handle failed, which for a written file can
  // mean its data did not reach the disk.
  bool Reset(HANDLE handle = nullptr) {
    bool closed = !Valid() || ::CloseHandle(handle_) != 0;
    handle_ = handle;
    return closed;
  }

 private:
  HANDLE handle_;
};

}  // namespace platform
