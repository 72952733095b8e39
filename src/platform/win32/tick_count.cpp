#include "platform/tick_count.h"

#include <windows.h>

namespace platform {

std::uint32_t TickCount() {
  return ::GetTickCount();
}

}  // namespace platform
