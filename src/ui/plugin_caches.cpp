#include "ui/plugin_caches.h"

#include "files/path_join.h"
#include "platform/folder_cleaner.h"

bool ClearPluginCaches(const platform::FolderCleaner& folders) {
  static constexpr const wchar_t* kCacheFolders[] = {
      L"AppData\\LocalLow\\vandor",
      L"AppData\\LocalLow\\Unity\\WebPlayer\\Cache",
  };
  bool allDeleted = true;
  for (const wchar_t* relative : kCacheFolders) {
    auto folder = JoinPath(folders.HomeDirectory(), relative);
    if (!folder || !folders.DeleteContents(*folder)) allDeleted = false;
  }
  return allDeleted;
}
