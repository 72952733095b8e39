#include "update/cache_buster.h"

std::wstring AppendCacheBuster(std::wstring url, std::uint32_t tickCount) {
  url += L"?skq=";
  url += std::to_wstring(static_cast<std::int32_t>(tickCount));
  return url;
}
