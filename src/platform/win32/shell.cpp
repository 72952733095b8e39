#include "platform/shell.h"

#include <windows.h>

#include <shellapi.h>

namespace platform {
namespace {

class WindowsShell final : public Shell {
 public:
  void OpenInDefaultBrowser(const std::wstring& url) override {
    ::ShellExecuteW(nullptr, nullptr, url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
};

}  // namespace

std::unique_ptr<Shell> MakeSystemShell() {
  return std::make_unique<WindowsShell>();
}

}  // namespace platform
