#include "files/entry_directories.h"

#include "platform/file_system.h"

namespace {

void MakeIfMissing(const platform::ArchiveFiles& files, const std::wstring& path) {
  std::wstring native = ToPlatformSeparators(path);
  if (files.GetPathKind(native) == platform::PathKind::None) files.MakeDirectory(native);
}

void CreateLevels(const platform::ArchiveFiles& files, const std::optional<std::wstring>& base,
                  std::wstring_view path) {
  if (path.empty()) return;
  std::size_t last = path.find_last_of(L"\\/");
  if (last != std::wstring_view::npos && last != 0) CreateLevels(files, base, path.substr(0, last));
  MakeIfMissing(files, base ? *base + std::wstring(path) : std::wstring(path));
}

}  // namespace

bool IsAbsoluteTargetName(std::wstring_view name) {
  return (!name.empty() && platform::IsPathSeparator(name[0])) ||
         (name.size() >= 2 && name[1] == L':');
}

std::wstring ToPlatformSeparators(std::wstring_view path) {
  std::wstring native(path);
  for (wchar_t& c : native) {
    if (platform::IsPathSeparator(c)) c = platform::kPathSeparator;
  }
  return native;
}

void CreateEntryDirectories(const platform::ArchiveFiles& files,
                            const std::optional<std::wstring>& base, std::wstring_view path) {
  if (base) MakeIfMissing(files, *base);
  CreateLevels(files, base, path);
}
