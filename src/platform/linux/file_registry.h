// The registry on Linux: one text file in the style of a .reg export,
//
//   [HKEY_CURRENT_USER\SOFTWARE\Microsoft\...\FEATURE_BROWSER_EMULATION]
//   "launcher.exe"=dword:00002af8
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Internet Explorer]
//   "svcVersion"="11.0.9600.19036"
//
// in UTF-8, with \\ and \" escaped inside quotes. Key paths and value names
// match ignoring case, as Windows' do. Lines that do not parse are skipped.
// Every write replaces the whole file through a renamed temporary file, so a
// crash leaves the old or the new store, never half of one.
#pragma once

#include <memory>
#include <string>

#include "platform/registry.h"

namespace platform {

std::unique_ptr<Registry> MakeFileRegistry(std::wstring storePath);

}  // namespace platform
