#include "browser/login_address.h"

#include "platform/text_codec.h"

std::wstring WorkingCopy(const std::wstring& address) {
  return platform::DecodeAnsi(platform::EncodeAnsi(address));
}

std::optional<std::wstring> LoginTail(const std::wstring& address,
                                      const std::wstring& loginAddress) {
  std::size_t match = address.find(loginAddress);
  if (match == std::wstring::npos) return std::nullopt;
  return address.substr(match + loginAddress.size());
}
