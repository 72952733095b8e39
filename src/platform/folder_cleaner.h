// Emptying folders in the user's home.
#pragma once

#include <string>

namespace platform {

class FolderCleaner {
 public:
  virtual ~FolderCleaner() = default;
  // The user's home (profile) directory, ending with a separator.
  virtual std::wstring HomeDirectory() const = 0;
  // Deletes every file and subfolder inside `folder`, read-only ones included,
  // and keeps the folder itself. A missing folder counts as empty: true.
  virtual bool DeleteContents(const std::wstring& folder) const = 0;
};

}  // namespace platform
