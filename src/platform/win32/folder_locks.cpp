// The folder lock on Windows: the lock file opened for writing with no
// sharing of writes, which the system closes with the process. The holder's
// process number is in the file; a second launcher brings that process's
// top-level window to the front.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/folder_locks.h"
#include "platform/win32/unique_handle.h"

namespace platform {
namespace {

BOOL CALLBACK BringForward(HWND window, LPARAM process) {
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != static_cast<DWORD>(process) || !::IsWindowVisible(window) ||
      ::GetWindow(window, GW_OWNER) != nullptr) {
    return TRUE;
  }
  if (::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
  ::SetForegroundWindow(window);
  return FALSE;
}

class FileFolderLocks final : public FolderLocks {
 public:
  FolderClaim Claim(const std::wstring& lockPath) override {
    // A link (or junction) is opened as itself, never followed, so its
    // target is not written; a directory fails to open.
    UniqueHandle file(::CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.Valid()) {
      if (::GetLastError() != ERROR_SHARING_VIOLATION) return FolderClaim::Unusable;
      AskHolderForward(lockPath);
      return FolderClaim::HeldElsewhere;
    }
    if (!IsPlainFileOfItsOwn(file.Get())) return FolderClaim::Unusable;
    // The lock holds whether or not the number is written; only the
    // hand-over to a second launcher needs it.
    std::string pid = std::to_string(::GetCurrentProcessId());
    DWORD written = 0;
    if (::SetEndOfFile(file.Get())) {
      ::WriteFile(file.Get(), pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
    }
    held_ = std::move(file);
    return FolderClaim::Held;
  }

 private:
  // A second hard link is another file's contents, which the process number
  // would replace.
  static bool IsPlainFileOfItsOwn(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    constexpr DWORD kNotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    return ::GetFileType(file) == FILE_TYPE_DISK && ::GetFileInformationByHandle(file, &info) &&
           (info.dwFileAttributes & kNotPlain) == 0 && info.nNumberOfLinks == 1;
  }

  static void AskHolderForward(const std::wstring& lockPath) {
    UniqueHandle file(::CreateFileW(lockPath.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    char text[32] = {};
    DWORD read = 0;
    if (!file.Valid() || !::ReadFile(file.Get(), text, sizeof text - 1, &read, nullptr)) return;
    unsigned long pid = std::strtoul(text, nullptr, 10);
    if (pid != 0) ::EnumWindows(BringForward, static_cast<LPARAM>(pid));
  }

  UniqueHandle held_;
};

}  // namespace

std::unique_ptr<FolderLocks> MakeSystemFolderLocks() {
  return std::make_unique<FileFolderLocks>();
}

}  // namespace platform
