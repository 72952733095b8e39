// The proxy of the user's Internet Options, the one the hosted browser
// control follows: auto-detection (WPAD), a PAC script, or a fixed proxy
// with its bypass list. WinHTTP's own setting (netsh) knows none of these.
#pragma once

#include <windows.h>
#include <winhttp.h>

#include <string>

namespace platform {

// A session whose requests for `url` go through the proxy the user's
// Internet Options give for it, tried in their order: auto-detection, the
// script, the fixed proxy. Where they name none, the system's automatic proxy
// where Windows has it (8.1 on), WinHTTP's own setting where it has not.
// Null when WinHTTP fails.
HINTERNET OpenSessionFor(const wchar_t* agent, const std::wstring& url);

}  // namespace platform
