// An errno value with the C library's text for it.
#pragma once

#include "platform/system_error.h"

namespace platform {

SystemError ErrnoError(int code);

}  // namespace platform
