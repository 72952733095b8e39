#include "platform/win32/win32_error.h"

#include <cwctype>

namespace platform {
namespace {

std::wstring MessageText(DWORD flags, HMODULE module, DWORD code) {
  wchar_t buffer[512];
  DWORD length = ::FormatMessageW(flags | FORMAT_MESSAGE_IGNORE_INSERTS, module, code,
                                  MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, 512, nullptr);
  std::wstring text(buffer, length);
  // Messages end in a line break, which the trace line must not carry.
  while (!text.empty() && std::iswspace(text.back())) text.pop_back();
  return text;
}

}  // namespace

SystemError Win32Error(DWORD code, const wchar_t* module) {
  std::wstring text;
  HMODULE messages = module != nullptr ? ::GetModuleHandleW(module) : nullptr;
  if (messages != nullptr) text = MessageText(FORMAT_MESSAGE_FROM_HMODULE, messages, code);
  if (text.empty()) text = MessageText(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code);
  return {static_cast<int>(code), text};
}

}  // namespace platform
