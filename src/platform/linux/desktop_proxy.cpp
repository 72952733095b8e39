#include "platform/linux/desktop_proxy.h"

#include <gio/gio.h>

#include <array>
#include <string_view>

#include "platform/linux/glib_handles.h"

namespace platform {
namespace {

// GLib's answer in libcurl's words; none for a scheme libcurl cannot use.
std::optional<std::string> CurlProxy(std::string_view answer) {
  // GLib's "socks" leaves the version open; 5 is what the desktop settings mean.
  constexpr std::string_view kAnySocks = "socks://";
  if (answer.rfind(kAnySocks, 0) == 0) {
    return "socks5://" + std::string(answer.substr(kAnySocks.size()));
  }
  constexpr std::array<std::string_view, 6> kSchemes{"http://",    "https://",  "socks4://",
                                                     "socks4a://", "socks5://", "socks5h://"};
  for (auto scheme : kSchemes) {
    if (answer.rfind(scheme, 0) == 0) return std::string(answer);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> DesktopProxyFor(const std::string& url) {
  UniqueError error;
  // The default resolver is GLib's own, shared and never freed.
  UniqueStringList answers(
      g_proxy_resolver_lookup(g_proxy_resolver_get_default(), url.c_str(), nullptr, error.Put()));
  if (!answers.Valid()) return std::nullopt;
  // The first answer is the one to try; later ones are fallbacks.
  for (gchar** answer = answers.Get(); *answer != nullptr; ++answer) {
    std::string_view text(*answer);
    if (text == "direct://") return std::nullopt;
    if (auto proxy = CurlProxy(text)) return proxy;
  }
  return std::nullopt;
}

}  // namespace platform
