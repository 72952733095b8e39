#include "files/directory_path.h"

#include "platform/file_system.h"
#include "platform/text_codec.h"

int CreateDirectoryPath(const std::wstring& path) {
  std::wstring prefix;
  prefix.reserve(path.size());
  for (wchar_t c : path) {
    if (!platform::IsPathSeparator(c)) {
      prefix.push_back(c);
      continue;
    }
    prefix.push_back(platform::kPathSeparator);
    if (platform::GetPathKind(prefix) != platform::PathKind::None) continue;
    if (!platform::MakeDirectory(prefix)) return -1;
  }
  return 0;
}

int CreateDirectoryPath(const char* ansiPath) {
  if (ansiPath == nullptr) return 0;
  return CreateDirectoryPath(platform::DecodeAnsi(ansiPath));
}
