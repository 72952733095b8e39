#include "platform/linux/errno_error.h"

#include <system_error>

#include "platform/text_codec.h"

namespace platform {

SystemError ErrnoError(int code) {
  // The message is strerror_r's, in the locale's code set.
  return {code, DecodeAnsi(std::generic_category().message(code))};
}

}  // namespace platform
