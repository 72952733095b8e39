#include "platform/shell.h"

#include <gio/gio.h>

#include "platform/text_codec.h"

namespace platform {
namespace {

class GioShell final : public Shell {
 public:
  void OpenInDefaultBrowser(const std::wstring& url) override {
    GError* error = nullptr;
    g_app_info_launch_default_for_uri(EncodeUtf8(url).c_str(), nullptr, &error);
    if (error != nullptr) g_error_free(error);
  }
};

}  // namespace

std::unique_ptr<Shell> MakeSystemShell() {
  return std::make_unique<GioShell>();
}

}  // namespace platform
