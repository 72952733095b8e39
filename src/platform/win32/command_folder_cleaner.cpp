#include "platform/win32/command_folder_cleaner.h"

#include <windows.h>

#include "platform/file_system.h"
#include "platform/win32/hidden_command.h"

namespace platform {

namespace {

// del runs on the window's thread; a cache of many thousand files takes
// seconds, a hung command no longer than this.
constexpr DWORD kDeleteTimeoutMs = 20000;

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
  return RunHiddenCommand(L"cmd.exe /c del /f /s /q \"" + folder + L"\\*.*\"", kDeleteTimeoutMs);
}

}  // namespace platform
