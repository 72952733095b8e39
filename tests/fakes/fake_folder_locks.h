// Folder locks that another launcher may be holding already.
#pragma once

#include <string>
#include <vector>

#include "platform/folder_locks.h"

class FakeFolderLocks final : public platform::FolderLocks {
 public:
  platform::FolderClaim Claim(const std::wstring& lockPath) override {
    claimed.push_back(lockPath);
    return answer;
  }

  platform::FolderClaim answer = platform::FolderClaim::Held;
  std::vector<std::wstring> claimed;
};
