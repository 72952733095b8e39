#include "platform/environment.h"

#include <windows.h>

namespace platform {
namespace {

// The screen's device context, released when done.
class ScreenDc {
 public:
  ScreenDc() : dc_(::GetDC(nullptr)) {}
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  ~ScreenDc() {
    if (dc_ != nullptr) ::ReleaseDC(nullptr, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

class Win32Environment final : public Environment {
 public:
  std::wstring ExecutablePath() const override {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
      DWORD size = static_cast<DWORD>(path.size());
      DWORD n = ::GetModuleFileNameW(nullptr, path.data(), size);
      if (n == 0) return {};
      // A full buffer means the path was cut short.
      if (n < size) {
        path.resize(n);
        return path;
      }
      // No Windows path is longer than 32767 characters.
      if (path.size() > 32767) return {};
      path.resize(path.size() * 2);
    }
  }

  int LogicalDpiX() const override {
    ScreenDc screen;
    if (screen.Get() == nullptr) return 96;
    int dpi = ::GetDeviceCaps(screen.Get(), LOGPIXELSX);
    return dpi > 0 ? dpi : 96;
  }
};

}  // namespace

std::unique_ptr<Environment> MakeSystemEnvironment() {
  return std::make_unique<Win32Environment>();
}

}  // namespace platform
