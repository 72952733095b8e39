#include "platform/win32/command_folder_cleaner.h"

#include <windows.h>

#include <vector>

#include "platform/file_system.h"
#include "platform/win32/unique_handle.h"

namespace platform {

namespace {

// Runs `commandLine` without a window and waits for it; false when it could
// not start or ended with a nonzero exit code.
bool RunHidden(std::wstring commandLine) {
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
  DWORD exitCode = 1;
  return ::WaitForSingleObject(processHandle.Get(), INFINITE) == WAIT_OBJECT_0 &&
         ::GetExitCodeProcess(processHandle.Get(), &exitCode) && exitCode == 0;
}

// "C:\..." or "\\server\...".
bool IsAbsolute(const wchar_t* path) {
  if (IsPathSeparator(path[0])) return IsPathSeparator(path[1]);
  return path[0] != L'\0' && path[1] == L':' && IsPathSeparator(path[2]);
}

}  // namespace

std::optional<std::wstring> CommandFolderCleaner::HomeDirectory() const {
  wchar_t profile[MAX_PATH] = {};
  DWORD length = ::GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
  if (length == 0 || length >= MAX_PATH || !IsAbsolute(profile)) return std::nullopt;
  std::wstring home(profile, length);
  if (!IsPathSeparator(home.back())) home += L'\\';
  return home;
}

bool CommandFolderCleaner::DeleteContents(const std::wstring& folder) const {
  if (GetPathKind(folder) == PathKind::None) return true;
  // "/c": the command processor ends with its command.
  return RunHidden(L"cmd.exe /c del /f /s /q \"" + folder + L"\\*.*\"");
}

}  // namespace platform
