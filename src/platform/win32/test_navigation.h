// The end-to-end run's way to make the page navigate, since Wine's browser
// control cannot run a page's links without its HTML engine: with
// QELT_TEST_HOOKS=1 in the environment, the registered message
// "qelt-test-navigate" sent to the panel, with a global atom naming an
// address as wParam, navigates the browser there. The navigation then takes
// the real way: the control, its BeforeNavigate2 event, our sink, the
// launcher's handlers. Without the variable the message does not exist.
#pragma once

#include <optional>
#include <string>

#include <windows.h>

namespace platform {

inline constexpr const wchar_t* kTestNavigateMessageName = L"qelt-test-navigate";

// The message's number; 0 when the hooks are off.
UINT TestNavigateMessage();
// The address a test navigation names.
std::optional<std::wstring> TestNavigationAddress(WPARAM wParam);

}  // namespace platform
