// Records which folders were emptied; folders listed in `failing` fail.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/folder_cleaner.h"

class FakeFolderCleaner final : public platform::FolderCleaner {
 public:
  std::optional<std::wstring> HomeDirectory() const override { return home; }
  bool DeleteContents(const std::wstring& folder) const override {
    emptied.push_back(folder);
    return failing.count(folder) == 0;
  }

  std::optional<std::wstring> home = L"/home/player/";
  std::set<std::wstring> failing;
  mutable std::vector<std::wstring> emptied;
};
