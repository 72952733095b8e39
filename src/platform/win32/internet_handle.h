// Owns a WinHTTP session, connection or request handle.
#pragma once

#include <windows.h>
#include <winhttp.h>

#include "platform/unique_resource.h"

namespace platform {

using InternetHandle = UniqueAny<HINTERNET, ::WinHttpCloseHandle>;

}  // namespace platform
