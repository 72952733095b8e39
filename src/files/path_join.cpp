#include "files/path_join.h"

#include <algorithm>
#include <cwctype>
#include <vector>

#include "platform/file_system.h"

namespace {

std::vector<std::wstring> ResolvedSteps(std::wstring_view path) {
  std::vector<std::wstring> steps;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !platform::IsPathSeparator(path[end])) ++end;
    std::wstring step(path.substr(start, end - start));
    if (step == L"..") {
      if (!steps.empty()) steps.pop_back();
    } else if (!step.empty() && step != L".") {
      if (!platform::kCaseSensitivePaths) {
        std::transform(step.begin(), step.end(), step.begin(),
                       [](wchar_t c) { return c < 128 ? std::towlower(c) : c; });
      }
      steps.push_back(std::move(step));
    }
    start = end + 1;
  }
  return steps;
}

}  // namespace

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

bool LiesBelow(std::wstring_view path, std::wstring_view directory) {
  std::vector<std::wstring> inner = ResolvedSteps(path);
  std::vector<std::wstring> outer = ResolvedSteps(directory);
  return inner.size() > outer.size() && std::equal(outer.begin(), outer.end(), inner.begin());
}
