#include "platform/trace.h"

#include <cstdio>

#include "platform/text_codec.h"

namespace platform {

void Trace(std::wstring_view text) {
  std::string bytes = EncodeUtf8(text);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

}  // namespace platform
