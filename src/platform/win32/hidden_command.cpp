#include "platform/win32/hidden_command.h"

#include <vector>

#include "platform/win32/unique_handle.h"

namespace platform {

bool RunHiddenCommand(const std::wstring& commandLine, DWORD timeoutMs) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
  writable.push_back(L'\0');
  if (!::CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process)) {
    return false;
  }
  UniqueHandle processHandle(process.hProcess);
  UniqueHandle threadHandle(process.hThread);
  if (::WaitForSingleObject(processHandle.Get(), timeoutMs) != WAIT_OBJECT_0) {
    // A hung command must not hold the caller, the window's thread.
    ::TerminateProcess(processHandle.Get(), 1);
    return false;
  }
  DWORD exitCode = 1;
  return ::GetExitCodeProcess(processHandle.Get(), &exitCode) && exitCode == 0;
}

}  // namespace platform
