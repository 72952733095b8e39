#include "platform/trace.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace platform {

void Trace(std::wstring_view text) {
  if (text.empty()) return;
  constexpr UINT kSimplifiedChinese = 936;
  int length = static_cast<int>(text.size());
  int size = ::WideCharToMultiByte(kSimplifiedChinese, 0, text.data(), length, nullptr, 0, nullptr,
                                   nullptr);
  if (size <= 0) return;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(kSimplifiedChinese, 0, text.data(), length, bytes.data(), size, nullptr,
                        nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

}  // namespace platform
