// Runs a command line without a window, for at most a given time.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// Starts `commandLine` hidden and waits up to `timeoutMs` for it; one still
// running then is ended. False when it could not start, was ended, or exited
// with a nonzero code.
bool RunHiddenCommand(const std::wstring& commandLine, DWORD timeoutMs);

}  // namespace platform
