// The query that keeps caches between the launcher and the server from
// answering with an old file.
#pragma once

#include <cstdint>
#include <string>

// `url` followed by "?skq=" and the tick count as a signed 32-bit number, even
// when `url` has a query already.
std::wstring AppendCacheBuster(std::wstring url, std::uint32_t tickCount);
