// One launcher per client folder: two launchers started on one folder (a
// double click) would write the same download and delete each other's
// package.
#pragma once

#include <memory>
#include <string>

namespace platform {

class FolderLocks {
 public:
  virtual ~FolderLocks() = default;
  // Takes the lock file at `lockPath` (in an existing directory) for as long
  // as this object lives, and records this process in it. False when another
  // running launcher holds it: that one is asked to bring its window to the
  // front, and nothing is written. A lock left by a process that ended (or
  // was killed) never blocks.
  virtual bool Claim(const std::wstring& lockPath) = 0;
};

std::unique_ptr<FolderLocks> MakeSystemFolderLocks();

}  // namespace platform
