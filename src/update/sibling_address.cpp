#include "update/sibling_address.h"

std::wstring SiblingAddress(const std::wstring& url, std::wstring_view suffix) {
  std::size_t pathEnd = url.find_first_of(L"?#");
  if (pathEnd == std::wstring::npos) pathEnd = url.size();
  std::wstring address = url;
  address.insert(pathEnd, suffix);
  return address;
}
