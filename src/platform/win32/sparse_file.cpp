#include "platform/sparse_file.h"

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <optional>

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_error.h"

namespace platform {
namespace {

class Win32SparseFile final : public SparseFile {
 public:
  explicit Win32SparseFile(UniqueHandle file) : file_(std::move(file)) {}

  SystemResult WriteAt(std::uint64_t offset, const char* data, std::size_t size) override {
    while (size > 0) {
      DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
      OVERLAPPED at{};
      at.Offset = static_cast<DWORD>(offset);
      at.OffsetHigh = static_cast<DWORD>(offset >> 32);
      DWORD written = 0;
      if (!::WriteFile(file_.Get(), data, chunk, &written, &at) || written == 0) {
        if (!failure_) failure_ = Win32Error(::GetLastError());
        return *failure_;
      }
      data += written;
      size -= written;
      offset += written;
    }
    return {};
  }

  SystemResult Close() override {
    if (!file_.Valid()) return Win32Error(ERROR_INVALID_HANDLE);
    if (!::CloseHandle(file_.Release()) && !failure_) failure_ = Win32Error(::GetLastError());
    if (failure_) return *failure_;
    return {};
  }

 private:
  UniqueHandle file_;
  std::optional<SystemError> failure_;
};

}  // namespace

CreatedSparseFile CreateSparseFile(const std::wstring& path) {
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return {nullptr, Win32Error(::GetLastError())};
  // Without the sparse mark NTFS fills every gap with zeros on disk; a file
  // system that has no such mark still works, only with the zeros.
  DWORD returned = 0;
  ::DeviceIoControl(file.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  return {std::make_unique<Win32SparseFile>(std::move(file)), {}};
}

}  // namespace platform
