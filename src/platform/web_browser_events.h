// DISPIDs of the WebBrowser control's DWebBrowserEvents2 events the launcher
// handles.
#pragma once

#include "platform/com_types.h"

namespace platform {

inline constexpr DISPID kBeforeNavigate2 = 250;
inline constexpr DISPID kNewWindow2 = 251;
inline constexpr DISPID kNavigateComplete2 = 252;
inline constexpr DISPID kDocumentComplete = 259;
inline constexpr DISPID kNewWindow3 = 273;

}  // namespace platform
