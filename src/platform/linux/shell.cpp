#include "platform/shell.h"

#include <gio/gio.h>

#include "platform/linux/glib_handles.h"
#include "platform/text_codec.h"

namespace platform {
namespace {

class GioShell final : public Shell {
 public:
  void OpenInDefaultBrowser(const std::wstring& url) override {
    UniqueError error;
    g_app_info_launch_default_for_uri(EncodeUtf8(url).c_str(), nullptr, error.Put());
  }
};

}  // namespace

std::unique_ptr<Shell> MakeSystemShell() {
  return std::make_unique<GioShell>();
}

}  // namespace platform
