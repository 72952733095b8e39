// One launcher per client folder: two launchers started on one folder (a
// double click) would write the same download and delete each other's
// package.
#pragma once

#include <memory>
#include <string>

namespace platform {

enum class FolderClaim {
  // This launcher holds the folder.
  Held,
  // Another running launcher holds it and was asked to come forward.
  HeldElsewhere,
  // The lock file cannot be taken: it is a directory, a link or anything
  // but a plain file of its own, or cannot be opened or locked. No launcher
  // may then work on the folder.
  Unusable,
};

class FolderLocks {
 public:
  virtual ~FolderLocks() = default;
  // Takes the lock file at `lockPath` (in an existing directory) for as long
  // as this object lives, and records this process in it. A link in its
  // place is never followed and nothing is written unless the lock is held.
  // A lock left by a process that ended (or was killed) never blocks.
  virtual FolderClaim Claim(const std::wstring& lockPath) = 0;
};

std::unique_ptr<FolderLocks> MakeSystemFolderLocks();

}  // namespace platform
