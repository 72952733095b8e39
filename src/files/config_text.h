// Configuration and manifest values are null when the file lacks them or
// they are not strings; wherever they are read as text, null is empty.
#pragma once

#include <string_view>

inline std::string_view ConfigText(const char* value) {
  return value != nullptr ? std::string_view(value) : std::string_view();
}
