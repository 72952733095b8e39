// Milliseconds since the system started, wrapping at 2^32 like GetTickCount.
#pragma once

#include <cstdint>

namespace platform {

std::uint32_t TickCount();

}  // namespace platform
