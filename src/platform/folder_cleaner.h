// Emptying folders in the user's home.
#pragma once

#include <optional>
#include <string>

namespace platform {

class FolderCleaner {
 public:
  virtual ~FolderCleaner() = default;
  // The user's home (profile) directory, absolute and ending with a
  // separator; none when the system does not name a usable one.
  virtual std::optional<std::wstring> HomeDirectory() const = 0;
  // Deletes every file inside `folder` and its subfolders, read-only ones
  // included, and keeps the folders. A missing folder counts as empty: true.
  virtual bool DeleteContents(const std::wstring& folder) const = 0;
};

}  // namespace platform
