#include "files/path_join.h"

#include "platform/file_system.h"

std::optional<std::wstring> JoinPath(std::wstring_view directory, std::wstring_view more) {
  std::wstring joined(directory);
  std::size_t start = 0;
  while (start < more.size() && platform::IsPathSeparator(more[start])) ++start;
  if (!joined.empty() && !platform::IsPathSeparator(joined.back())) {
    joined.push_back(platform::kPathSeparator);
  }
  for (std::size_t i = start; i < more.size(); ++i) {
    joined.push_back(platform::IsPathSeparator(more[i]) ? platform::kPathSeparator : more[i]);
  }
  if (joined.size() > platform::kMaxPathChars) return std::nullopt;
  return joined;
}

std::wstring DirectoryOf(std::wstring_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (platform::IsPathSeparator(path[i - 1])) return std::wstring(path.substr(0, i - 1));
  }
  return {};
}
