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
  bool Claim(const std::wstring& lockPath) override {
    UniqueHandle file(::CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
      if (::GetLastError() != ERROR_SHARING_VIOLATION) return true;
      AskHolderForward(lockPath);
      return false;
    }
    // The lock holds whether or not the number is written; only the
    // hand-over to a second launcher needs it.
    std::string pid = std::to_string(::GetCurrentProcessId());
    DWORD written = 0;
    if (::SetEndOfFile(file.Get())) {
      ::WriteFile(file.Get(), pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
    }
    held_ = std::move(file);
    return true;
  }

 private:
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
