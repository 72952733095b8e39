#include "platform/linux/web_view_module.h"

#include <dlfcn.h>
#include <gio/gio.h>
#include <sys/mman.h>

#include <optional>
#include <string>

#include "platform/linux/unique_fd.h"
#include "platform/linux/write_all.h"

namespace platform {
namespace {

using UniqueBytes = UniqueAny<GBytes*, g_bytes_unref>;

constexpr const char* kModuleResource = "/qelt/module/webview.so";

}  // namespace
}  // namespace platform

// Made by glib-compile-resources from the built module, which registers it
// as the program starts; calling it keeps its object in the link.
extern "C" GResource* qelt_webview_get_resource();

namespace platform {
namespace {

std::optional<WebViewModule> Failed(const char* what) {
  g_printerr("web view module not loaded: %s\n", what);
  return std::nullopt;
}

// The module's bytes go to an anonymous file, which the dynamic loader opens
// by its /proc name.
std::optional<WebViewModule> Load() {
  UniqueBytes bytes(g_resource_lookup_data(qelt_webview_get_resource(), kModuleResource,
                                           G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr));
  if (!bytes.Valid()) return Failed("not in the launcher");
  gsize size = 0;
  const auto* data = static_cast<const char*>(g_bytes_get_data(bytes.Get(), &size));
  UniqueFd file(::memfd_create("qelt-webview", MFD_CLOEXEC));
  if (!file.Valid() || !WriteAll(file.Get(), data, size)) return Failed("no memory file");
  std::string path = "/proc/self/fd/" + std::to_string(file.Get());
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return Failed(::dlerror());
  WebViewModule module;
  module.make = reinterpret_cast<MakeWebViewEngine>(::dlsym(handle, kMakeWebViewEngineName));
  module.clearDiskCache =
      reinterpret_cast<ClearWebViewDiskCache>(::dlsym(handle, kClearWebViewDiskCacheName));
  if (module.make == nullptr || module.clearDiskCache == nullptr) return Failed("no entries");
  return module;
}

}  // namespace

const WebViewModule* LoadWebViewModule() {
  // Loaded once, on the user-interface thread, and held for good.
  static const std::optional<WebViewModule> module = Load();
  return module ? &*module : nullptr;
}

}  // namespace platform
