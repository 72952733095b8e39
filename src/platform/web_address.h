// Web addresses: the only ones the launcher hands on to a browser or
// downloads from.
#pragma once

#include <string_view>

namespace platform {

// "http://" or "https://" in any letter case, followed by at least one
// character. Other schemes (file:, script, custom protocol handlers) would
// run or read whatever a page or manifest names.
bool IsWebAddress(std::wstring_view url);

}  // namespace platform
