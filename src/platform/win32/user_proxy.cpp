#include "platform/win32/user_proxy.h"

#include "platform/unique_resource.h"
#include "platform/win32/internet_handle.h"

namespace platform {
namespace {

// The strings WinHTTP hands out for the caller to free.
struct GlobalTextTraits {
  using Handle = wchar_t*;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle handle) { return handle != nullptr; }
  static bool Close(Handle handle) { return ::GlobalFree(handle) == nullptr; }
};
using GlobalText = UniqueResource<GlobalTextTraits>;

// The session of the proxy that WPAD or the script names; null when neither
// answers. (A request's own proxy option is not honoured by Wine.)
HINTERNET OpenAutomaticSession(const wchar_t* agent, const std::wstring& url, bool detect,
                               const wchar_t* script) {
  InternetHandle resolver(::WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                        WINHTTP_NO_PROXY_BYPASS, 0));
  if (!resolver.Valid()) return nullptr;
  WINHTTP_AUTOPROXY_OPTIONS options{};
  if (detect) {
    options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
  }
  if (script != nullptr) {
    options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = script;
  }
  WINHTTP_PROXY_INFO found{};
  if (!::WinHttpGetProxyForUrl(resolver.Get(), url.c_str(), &options, &found)) return nullptr;
  GlobalText proxy(found.lpszProxy);
  GlobalText bypass(found.lpszProxyBypass);
  return ::WinHttpOpen(agent, found.dwAccessType, proxy.Get(), bypass.Get(), 0);
}

}  // namespace

HINTERNET OpenSessionFor(const wchar_t* agent, const std::wstring& url) {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
  if (::WinHttpGetIEProxyConfigForCurrentUser(&config)) {
    GlobalText script(config.lpszAutoConfigUrl);
    GlobalText proxy(config.lpszProxy);
    GlobalText bypass(config.lpszProxyBypass);
    if (config.fAutoDetect || script.Valid()) {
      HINTERNET session = OpenAutomaticSession(agent, url, config.fAutoDetect, script.Get());
      if (session != nullptr) return session;
    }
    if (proxy.Valid()) {
      return ::WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.Get(), bypass.Get(), 0);
    }
  }
  // Older systems refuse the automatic type. Wine takes it but ignores the
  // user's settings, which are read above.
  HINTERNET session = ::WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                                    WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  if (session != nullptr) return session;
  return ::WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                       WINHTTP_NO_PROXY_BYPASS, 0);
}

}  // namespace platform
