#include "platform/win32/test_navigation.h"

namespace platform {

UINT TestNavigateMessage() {
  wchar_t value[4] = {};
  DWORD length = ::GetEnvironmentVariableW(L"QELT_TEST_HOOKS", value, 4);
  if (length != 1 || value[0] != L'1') return 0;
  return ::RegisterWindowMessageW(kTestNavigateMessageName);
}

std::optional<std::wstring> TestNavigationAddress(WPARAM wParam) {
  wchar_t address[256] = {};
  UINT length = ::GlobalGetAtomNameW(static_cast<ATOM>(wParam), address, 256);
  if (length == 0) return std::nullopt;
  return std::wstring(address, length);
}

}  // namespace platform
