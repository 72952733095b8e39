#include "platform/environment.h"

#include <unistd.h>

#include <climits>
#include <fstream>
#include <iterator>
#include <string>

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

  // The arguments as started, before the toolkit took its own out of argv.
  bool HasSwitch(std::wstring_view name) const override {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::size_t at = all.find('\0');
    while (at != std::string::npos && at + 1 < all.size()) {
      std::size_t end = all.find('\0', at + 1);
      if (DecodeUtf8(std::string_view(all).substr(at + 1, end - at - 1)) == name) return true;
      at = end;
    }
    return false;
  }
};

}  // namespace

std::unique_ptr<Environment> MakeSystemEnvironment() {
  return std::make_unique<LinuxEnvironment>();
}

}  // namespace platform
