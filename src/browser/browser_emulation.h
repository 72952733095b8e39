// The per-user value that makes the browser engine render this executable's
// pages in the document mode of the installed engine.
#pragma once

#include <string>

namespace platform {
class Registry;
}

// The executable's file name without its directory, cut before its last "."
// and followed by ".exe": D:\Games\Launcher.EXE gives Launcher.exe.
std::wstring BrowserEmulationValueName(const std::wstring& executablePath);

// Writes the value for the engine version found in the machine-wide key when
// the per-user feature key exists; otherwise changes nothing. A null name
// changes nothing.
void SetBrowserEmulation(platform::Registry& registry, const wchar_t* valueName);
