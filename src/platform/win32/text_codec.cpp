#include "platform/text_codec.h"

#include <windows.h>

#include <climits>

namespace platform {
namespace {

int ToInt(std::size_t size) {
  return size > INT_MAX ? -1 : static_cast<int>(size);
}

}  // namespace

std::string EncodeAnsi(std::wstring_view text) {
  int length = ToInt(text.size());
  if (length <= 0) return {};
  // Without this flag Windows maps some characters to look-alikes instead of '?'.
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  int needed =
      ::WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
  // Code pages such as UTF-8 refuse the flag; they hold every character anyway.
  if (needed <= 0 && ::GetLastError() == ERROR_INVALID_FLAGS) {
    flags = 0;
    needed =
        ::WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
  }
  if (needed <= 0) return {};
  std::string out(static_cast<std::size_t>(needed), '\0');
  int written = ::WideCharToMultiByte(CP_ACP, flags, text.data(), length, out.data(), needed,
                                      nullptr, nullptr);
  out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return out;
}

std::wstring DecodeAnsi(std::string_view text) {
  int length = ToInt(text.size());
  if (length <= 0) return {};
  // The thread's code page, as the launcher has always decoded narrow text.
  int needed = ::MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), length, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring out(static_cast<std::size_t>(needed), L'\0');
  int written = ::MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), length, out.data(), needed);
  out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return out;
}

}  // namespace platform
