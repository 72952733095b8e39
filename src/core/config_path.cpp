#include "core/config_path.h"

#include "platform/file_system.h"

std::wstring ConfigFilePath(std::wstring_view executablePath) {
  std::size_t nameStart = executablePath.size();
  while (nameStart > 0 && !platform::IsPathSeparator(executablePath[nameStart - 1])) --nameStart;
  std::size_t dot = executablePath.rfind(L'.');
  // A dot that opens the name (".launcher") does not begin an extension.
  bool hasExtension = dot != std::wstring_view::npos && dot > nameStart;
  std::wstring path(executablePath.substr(0, hasExtension ? dot : executablePath.size()));
  return path + L".json";
}
