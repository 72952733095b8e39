// A Win32 error code with the system's text for it.
#pragma once

#include <windows.h>

#include "platform/system_error.h"

namespace platform {

// The text comes from `module`'s message table when given and loaded (the
// ERROR_WINHTTP_* codes live in winhttp.dll's), else from the system's.
SystemError Win32Error(DWORD code, const wchar_t* module = nullptr);

}  // namespace platform
