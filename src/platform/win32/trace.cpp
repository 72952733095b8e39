#include "platform/trace.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace platform {

namespace {
// The launcher's traces have always been GBK bytes, whatever the system's
// code page.
constexpr UINT kTraceCodePage = 936;
}  // namespace

void Trace(std::wstring_view text) {
  if (text.empty()) return;
  int length = static_cast<int>(text.size());
  int size =
      ::WideCharToMultiByte(kTraceCodePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(kTraceCodePage, 0, text.data(), length, bytes.data(), size, nullptr,
                        nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

}  // namespace platform
