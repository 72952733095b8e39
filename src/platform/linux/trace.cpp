#include "platform/trace.h"

#include <cstdio>

#include "platform/text_codec.h"

namespace platform {
namespace {

class StdoutTrace final : public Trace {
 public:
  void Write(std::wstring_view text) override {
    std::string bytes = EncodeUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
  }
};

}  // namespace

std::unique_ptr<Trace> MakeStdoutTrace() {
  return std::make_unique<StdoutTrace>();
}

}  // namespace platform
