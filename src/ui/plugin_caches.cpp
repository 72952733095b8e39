#include "ui/plugin_caches.h"

#include "files/path_join.h"
#include "platform/folder_cleaner.h"

bool ClearPluginCaches(const platform::FolderCleaner& folders) {
  static constexpr const wchar_t* kCacheFolders[] = {
      L"AppData\\LocalLow\\vandor",
      L"AppData\\LocalLow\\Unity\\WebPlayer\\Cache",
  };
  // Relative folders would be resolved against the current directory.
  std::optional<std::wstring> home = folders.HomeDirectory();
  if (!home) return false;
  bool allDeleted = true;
  for (const wchar_t* relative : kCacheFolders) {
    auto folder = JoinPath(*home, relative);
    if (!folder || !folders.DeleteContents(*folder)) allDeleted = false;
  }
  return allDeleted;
}
