#include "platform/web_address.h"

#include <cwctype>

namespace platform {
namespace {

bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view lowerPrefix) {
  if (text.size() < lowerPrefix.size()) return false;
  for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
    if (std::towlower(static_cast<wint_t>(text[i])) != static_cast<wint_t>(lowerPrefix[i])) {
      return false;
    }
  }
  return true;
}

bool HasSchemeAndMore(std::wstring_view url, std::wstring_view scheme) {
  return url.size() > scheme.size() && StartsWithIgnoringCase(url, scheme);
}

}  // namespace

bool IsWebAddress(std::wstring_view url) {
  return HasSchemeAndMore(url, L"http://") || HasSchemeAndMore(url, L"https://");
}

}  // namespace platform
