// Where the launcher configuration file lives.
#pragma once

#include <string>
#include <string_view>

// The executable's path with the file name's extension replaced by ".json"
// (or ".json" appended when the name has none), so the file lies beside the
// executable: launch.exe gives launch.json, my.launcher.exe my.launcher.json.
std::wstring ConfigFilePath(std::wstring_view executablePath);
