#include "platform/system_error.h"

namespace platform {

std::wstring DescribeSystemError(const SystemError& error) {
  if (!error.Known()) return {};
  std::wstring text = L"error " + std::to_wstring(error.code);
  if (!error.text.empty()) text += L": " + error.text;
  return text;
}

}  // namespace platform
