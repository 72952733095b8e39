// Empties folders with the command processor's del, as the plug-in caches
// have always been cleared on Windows: cmd.exe /c, hidden, waited for (for
// twenty seconds at most).
#pragma once

#include "platform/folder_cleaner.h"

namespace platform {

class CommandFolderCleaner final : public FolderCleaner {
 public:
  // %USERPROFILE% when it is set, fits a path and is absolute.
  std::optional<std::wstring> HomeDirectory() const override;
  // del /f /s /q on every file of the folder and its subfolders; the
  // subfolders themselves stay. True when del ended in time with exit code 0.
  bool DeleteContents(const std::wstring& folder) const override;
};

}  // namespace platform
