// The panel's WM_COMMAND identifiers, as dialog template 102 and its
// callers use them.
#pragma once

#include <windows.h>

#include <optional>

#include "platform/launcher_window.h"

namespace platform {

inline constexpr int kCloseCommandId = 1003;
inline constexpr int kMinimizeCommandId = 1004;
inline constexpr int kClearCacheCommandId = 1006;

// The command a WM_COMMAND's wParam carries; none for other identifiers and
// for notifications other than a click (code 0).
std::optional<PanelCommand> PanelCommandOf(WPARAM wParam);

}  // namespace platform
