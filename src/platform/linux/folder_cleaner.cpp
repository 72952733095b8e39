#include "platform/linux/folder_cleaner.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/file_system.h"
#include "platform/linux/unique_fd.h"
#include "platform/text_codec.h"

namespace platform {
namespace {

// Deletes the files below the directory open as `directory` and keeps its
// subfolders, as del /s does on Windows; symbolic links are removed, never
// followed, so nothing outside the folder is touched.
bool DeleteEntries(int directory) {
  int listing = ::dup(directory);
  if (listing < 0) return false;
  DIR* stream = ::fdopendir(listing);
  if (stream == nullptr) {
    ::close(listing);
    return false;
  }
  bool allDeleted = true;
  while (dirent* entry = ::readdir(stream)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat info;
    if (::fstatat(directory, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
      allDeleted = false;
      continue;
    }
    if (S_ISDIR(info.st_mode)) {
      UniqueFd child(
          ::openat(directory, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      if (!child.Valid() || !DeleteEntries(child.Get())) allDeleted = false;
    } else if (::unlinkat(directory, name.c_str(), 0) != 0) {
      allDeleted = false;
    }
  }
  ::closedir(stream);
  return allDeleted;
}

}  // namespace

std::optional<std::wstring> LinuxFolderCleaner::HomeDirectory() const {
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return std::nullopt;
  std::wstring directory = DecodeUtf8(home);
  if (directory.back() != kPathSeparator) directory += kPathSeparator;
  return directory;
}

bool LinuxFolderCleaner::DeleteContents(const std::wstring& folder) const {
  UniqueFd directory(::open(NativePath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!directory.Valid()) return errno == ENOENT;
  return DeleteEntries(directory.Get());
}

}  // namespace platform
