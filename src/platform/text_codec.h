// Conversions between wide strings and the narrow encodings the launcher meets:
// the system's "ANSI" code page (the locale's codeset on Linux) and UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Characters the code page cannot hold become its default character ('?').
std::string EncodeAnsi(std::wstring_view text);
// Bytes that do not decode become U+FFFD.
std::wstring DecodeAnsi(std::string_view text);

std::string EncodeUtf8(std::wstring_view text);
std::wstring DecodeUtf8(std::string_view text);

}  // namespace platform
