#include "files/ansi_text.h"

#include <cstring>
#include <cwchar>
#include <string>

#include "platform/text_codec.h"

std::unique_ptr<char[]> WideToAnsi(const wchar_t* text) {
  if (text == nullptr) return nullptr;
  std::string converted = platform::EncodeAnsi(std::wstring_view(text, std::wcslen(text)));
  auto result = std::make_unique<char[]>(converted.size() + 2);
  std::memcpy(result.get(), converted.data(), converted.size());
  return result;
}
