// The proxy of the user's Internet Options, the one the hosted browser
// control follows: auto-detection (WPAD), a PAC script, or a fixed proxy
// with its bypass list. WinHTTP's own setting (netsh) knows none of these.
#pragma once

#include <windows.h>
#include <winhttp.h>

#include <string>

namespace platform {

// A session that follows the system's automatic proxy where Windows has it
// (8.1 on), and WinHTTP's own setting where it has not.
HINTERNET OpenProxySession(const wchar_t* agent);

// Sends `request` (opened on `session`) through the proxy the user's Internet
// Options give for `url`, tried in their order: auto-detection, the script,
// the fixed proxy. Where they name none, the session's rule holds.
void UseUserProxy(HINTERNET session, HINTERNET request, const std::wstring& url);

}  // namespace platform
