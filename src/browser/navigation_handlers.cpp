#include "browser/navigation_handlers.h"

#include <cwctype>
#include <optional>
#include <string>

#include "browser/client_command.h"
#include "browser/explorer_page.h"
#include "browser/login_address.h"
#include "browser/navigation_view.h"
#include "core/client_root.h"
#include "core/display_scale.h"
#include "core/panel_state.h"
#include "files/path_join.h"
#include "platform/process_launcher.h"
#include "platform/shell.h"
#include "platform/text_codec.h"
#include "platform/trace.h"
#include "platform/web_address.h"

namespace {

const wchar_t kClientMissingText[] = L"找不到游戏客户端，请稍后重试";
const wchar_t kPathTooLongText[] = L"游戏客户端路径过长，无法启动";
const wchar_t kCommandTooLongText[] = L"登录参数过长，无法启动游戏客户端";
const wchar_t kStartFailedText[] = L"游戏客户端启动失败，请重试";

}  // namespace

NavigationHandlers::NavigationHandlers(PanelState& state, CExplorer_page& explorer,
                                       NavigationView& view, const platform::Services& services)
    : m_state(state), m_explorer(explorer), m_view(view), m_services(services) {}

void NavigationHandlers::BeforeNavigate(const std::wstring& url, bool& cancel) {
  BeforeNavigate2ExplorerPage(url, cancel);
}

void NavigationHandlers::NewWindow(const std::wstring& url, bool& cancel) {
  NewWindow3ExplorerPage(url, cancel);
}

void NavigationHandlers::NewWindow2() {
  NewWindow2ExplorerPage();
}

void NavigationHandlers::NavigateComplete(const std::wstring& url) {
  OnNavigatecomplete2ExplorerPage(url);
}

void NavigationHandlers::DocumentComplete(const std::wstring& url) {
  DocumentCompleteExplorerPage(url);
}

void NavigationHandlers::BeforeNavigate2ExplorerPage(const std::wstring& url, bool& cancel) {
  std::wstring workingCopy = WorkingCopy(url);
  bool login = IsLoginNavigation(workingCopy);
  Trace(L"\nBeforeNavigate2ExplorerPage\n\n");
  if (!login) return;
  cancel = true;
  LaunchGameClient(workingCopy);
}

void NavigationHandlers::NewWindow3ExplorerPage(const std::wstring& bstrUrl, bool& cancel) {
  SetBrowserZoom();
  std::wstring workingCopy = WorkingCopy(bstrUrl);
  bool login = IsLoginNavigation(workingCopy);
  Trace(L"\nNewWindow3ExplorerPage\n\n");
  if (login) {
    LaunchGameClient(workingCopy);
  } else if (platform::IsWebAddress(bstrUrl)) {
    m_services.shell->OpenInDefaultBrowser(bstrUrl);
  }
  cancel = true;
}

void NavigationHandlers::OnNavigatecomplete2ExplorerPage(const std::wstring& url) {
  SetBrowserZoom();
  std::wstring workingCopy = WorkingCopy(url);
  Trace(L"\nOnNavigatecomplete2ExplorerPage\n");
  LaunchGameClient(workingCopy);
}

void NavigationHandlers::DocumentCompleteExplorerPage(const std::wstring& url) {
  std::wstring workingCopy = WorkingCopy(url);
  Trace(L"\nDocumentCompleteExplorerPage\n");
  SetBrowserZoom();
  LaunchGameClient(workingCopy);
}

void NavigationHandlers::NewWindow2ExplorerPage() {
  SetBrowserZoom();
}

void NavigationHandlers::SetBrowserZoom() {
  Trace(L"\n SetBrowserZoom start.................\n");
  int percent = GetDisplayScalePercent(*m_services.environment);
  Trace(L"zoomValue=" + std::to_wstring(percent) + L" \n");
  int zoom = percent * percent / 100;
  Trace(L"final zoomValue=" + std::to_wstring(zoom) + L" \n");
  VARIANT zoomIn{};
  zoomIn.vt = VT_I4;
  zoomIn.lVal = zoom;
  m_explorer.ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DODEFAULT, &zoomIn, nullptr);
  Trace(L"\n SetBrowserZoom end.................\n");
}

void NavigationHandlers::LaunchGameClient(std::wstring address) {
  std::optional<std::wstring> loginTail =
      LoginTail(address, platform::DecodeAnsi(m_state.LoginUrl()));
  // Once started, the launcher is on its way out: a second client would
  // fight the first for the same files.
  if (!loginTail || m_bClientStarted) return;
  if (m_state.m_bUpdating) {
    m_explorer.Navigate(platform::DecodeAnsi(m_state.NestedPage()));
    return;
  }

  Trace(L"url拦截，参数:\n" + *loginTail + L"\n");
  std::string_view exePath = m_state.ExePath();
  if (exePath.empty()) return FailLaunch(kClientMissingText);
  std::optional<ClientRoot> root = ClientRoot::At(m_state.m_strMicroDir);
  std::optional<std::wstring> executable;
  if (root) executable = JoinPath(m_state.m_strMicroDir, platform::DecodeAnsi(exePath));
  if (!executable) return FailLaunch(kPathTooLongText);
  // The manifest comes over the network: it names a program of the client,
  // never one elsewhere on the player's machine.
  if (!LiesBelow(*executable, root->ClientDirectory())) {
    Trace(L"\nexe_path 不在 GameClient 目录内：" + *executable + L"\n");
    return FailLaunch(kClientMissingText);
  }
  std::optional<platform::ProcessCommand> command = FormGameClientCommand(*executable, *loginTail);
  if (!command) return FailLaunch(kCommandTooLongText);

  bool started = m_services.processLauncher->Start(*command);
  Trace(L"启动客户端，参数:\n" + command->commandLine);
  if (!started) return FailLaunch(kStartFailedText);
  m_bClientStarted = true;
  m_view.EndPanel();
  m_view.CloseBackground();
}

bool NavigationHandlers::IsLoginNavigation(const std::wstring& workingCopy) const {
  return LoginTail(workingCopy, platform::DecodeAnsi(m_state.LoginUrl())).has_value();
}

void NavigationHandlers::Trace(const std::wstring& text) {
  m_services.trace->Write(text);
}

void NavigationHandlers::FailLaunch(const wchar_t* statusText) {
  Trace(std::wstring(L"\n") + statusText + L"\n");
  m_view.SetStatusText(statusText);
}
