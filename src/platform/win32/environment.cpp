#include "platform/environment.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/unique_resource.h"
#include "platform/win32/gdi_handles.h"

namespace platform {
namespace {

// The argument list CommandLineToArgvW allocates.
struct ArgumentListTraits {
  using Handle = LPWSTR*;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle list) { return list != nullptr; }
  static bool Close(Handle list) { return ::LocalFree(list) == nullptr; }
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

  std::optional<int> LogicalDpiX() const override {
    WindowDc screen(nullptr);
    if (screen.Get() == nullptr) return std::nullopt;
    int dpi = ::GetDeviceCaps(screen.Get(), LOGPIXELSX);
    if (dpi <= 0) return std::nullopt;
    return dpi;
  }

  bool HasSwitch(std::wstring_view name) const override {
    int count = 0;
    UniqueResource<ArgumentListTraits> arguments(::CommandLineToArgvW(::GetCommandLineW(), &count));
    if (!arguments.Valid()) return false;
    for (int i = 1; i < count; ++i) {
      if (name == arguments.Get()[i]) return true;
    }
    return false;
  }
};

}  // namespace

std::unique_ptr<Environment> MakeSystemEnvironment() {
  return std::make_unique<Win32Environment>();
}

}  // namespace platform
