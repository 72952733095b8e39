// The launcher's diagnostic trace: text written to standard output, seen only
// when the starter redirects it. Windows writes code page 936 bytes, Linux
// UTF-8.
#pragma once

#include <string_view>

namespace platform {

void Trace(std::wstring_view text);

}  // namespace platform
