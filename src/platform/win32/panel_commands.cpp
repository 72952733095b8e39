#include "platform/win32/panel_commands.h"

namespace platform {

std::optional<PanelCommand> PanelCommandOf(WPARAM wParam) {
  if (HIWORD(wParam) != 0) return std::nullopt;
  switch (LOWORD(wParam)) {
    case IDCANCEL:
      return PanelCommand::Cancel;
    case kCloseCommandId:
      return PanelCommand::Close;
    case kMinimizeCommandId:
      return PanelCommand::Minimize;
    case kClearCacheCommandId:
      return PanelCommand::ClearCache;
    default:
      return std::nullopt;
  }
}

}  // namespace platform
