// Emptying folders with the kernel's own calls: no shell, no helper process.
#pragma once

#include "platform/folder_cleaner.h"

namespace platform {

class LinuxFolderCleaner final : public FolderCleaner {
 public:
  // $HOME when it is set and absolute.
  std::optional<std::wstring> HomeDirectory() const override;
  bool DeleteContents(const std::wstring& folder) const override;
};

}  // namespace platform
