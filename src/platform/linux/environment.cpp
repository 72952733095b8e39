#include "platform/environment.h"

#include <unistd.h>

#include <climits>

#include "platform/linux/display_dpi.h"
#include "platform/text_codec.h"

namespace platform {
namespace {

class LinuxEnvironment final : public Environment {
 public:
  std::wstring ExecutablePath() const override {
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer) return {};
    return DecodeUtf8(std::string_view(buffer, static_cast<std::size_t>(n)));
  }

  std::optional<int> LogicalDpiX() const override { return DisplayDpi(); }
};

}  // namespace

std::unique_ptr<Environment> MakeSystemEnvironment() {
  return std::make_unique<LinuxEnvironment>();
}

}  // namespace platform
