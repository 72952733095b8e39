#include "platform/win32/user_proxy.h"

#include "platform/unique_resource.h"

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

void SetProxy(HINTERNET request, DWORD accessType, wchar_t* proxy, wchar_t* bypass) {
  WINHTTP_PROXY_INFO info{accessType, proxy, bypass};
  ::WinHttpSetOption(request, WINHTTP_OPTION_PROXY, &info, sizeof info);
}

// False when neither WPAD nor the script gives an answer.
bool UseAutomaticProxy(HINTERNET session, HINTERNET request, const std::wstring& url, bool detect,
                       const wchar_t* script) {
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
  if (!::WinHttpGetProxyForUrl(session, url.c_str(), &options, &found)) return false;
  GlobalText proxy(found.lpszProxy);
  GlobalText bypass(found.lpszProxyBypass);
  SetProxy(request, found.dwAccessType, proxy.Get(), bypass.Get());
  return true;
}

}  // namespace

HINTERNET OpenProxySession(const wchar_t* agent) {
  // Older systems refuse the automatic type; Wine takes it but ignores the
  // user's settings, which UseUserProxy applies anyway.
  HINTERNET session = ::WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                                    WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  if (session != nullptr) return session;
  return ::WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                       WINHTTP_NO_PROXY_BYPASS, 0);
}

void UseUserProxy(HINTERNET session, HINTERNET request, const std::wstring& url) {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
  if (!::WinHttpGetIEProxyConfigForCurrentUser(&config)) return;
  GlobalText script(config.lpszAutoConfigUrl);
  GlobalText proxy(config.lpszProxy);
  GlobalText bypass(config.lpszProxyBypass);
  if ((config.fAutoDetect || script.Valid()) &&
      UseAutomaticProxy(session, request, url, config.fAutoDetect, script.Get())) {
    return;
  }
  if (proxy.Valid()) {
    SetProxy(request, WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.Get(), bypass.Get());
  }
}

}  // namespace platform
