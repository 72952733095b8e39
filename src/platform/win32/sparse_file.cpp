#include "platform/sparse_file.h"

#include <windows.h>
#include <winioctl.h>

#include <algorithm>

#include "platform/win32/unique_handle.h"

namespace platform {
namespace {

class Win32SparseFile final : public SparseFile {
 public:
  explicit Win32SparseFile(UniqueHandle file) : file_(std::move(file)) {}

  bool WriteAt(std::uint64_t offset, const char* data, std::size_t size) override {
    while (size > 0) {
      DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
      OVERLAPPED at{};
      at.Offset = static_cast<DWORD>(offset);
      at.OffsetHigh = static_cast<DWORD>(offset >> 32);
      DWORD written = 0;
      if (!::WriteFile(file_.Get(), data, chunk, &written, &at) || written == 0) {
        failed_ = true;
        return false;
      }
      data += written;
      size -= written;
      offset += written;
    }
    return true;
  }

  bool Close() override {
    if (!file_.Valid()) return false;
    return ::CloseHandle(file_.Release()) && !failed_;
  }

 private:
  UniqueHandle file_;
  bool failed_ = false;
};

}  // namespace

std::unique_ptr<SparseFile> CreateSparseFile(const std::wstring& path) {
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return nullptr;
  // Without the sparse mark NTFS fills every gap with zeros on disk; a file
  // system that has no such mark still works, only with the zeros.
  DWORD returned = 0;
  ::DeviceIoControl(file.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  return std::make_unique<Win32SparseFile>(std::move(file));
}

}  // namespace platform
