#include "platform/trace.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace platform {
namespace {

// The launcher's Chinese traces have always been code page 936 bytes.
constexpr UINT kTraceCodePage = 936;

class StdoutTrace final : public Trace {
 public:
  void Write(std::wstring_view text) override {
    if (text.empty()) return;
    int size = ::WideCharToMultiByte(kTraceCodePage, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0, nullptr, nullptr);
    if (size <= 0) return;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(kTraceCodePage, 0, text.data(), static_cast<int>(text.size()),
                          bytes.data(), size, nullptr, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
  }
};

}  // namespace

std::unique_ptr<Trace> MakeStdoutTrace() {
  return std::make_unique<StdoutTrace>();
}

}  // namespace platform
