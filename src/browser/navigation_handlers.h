// The panel's handlers of the embedded browser's events: they cancel login
// navigations and start the game client, keep new windows out of the panel
// (web addresses go to the user's browser), and keep the page zoomed to the
// display scale.
#pragma once

#include <string>

#include "platform/browser_control.h"
#include "platform/services.h"

class CExplorer_page;
class NavigationView;
struct PanelState;

class NavigationHandlers final : public platform::BrowserEvents {
 public:
  // `services` needs environment, processLauncher, shell and trace.
  NavigationHandlers(PanelState& state, CExplorer_page& explorer, NavigationView& view,
                     const platform::Services& services);

  void BeforeNavigate(const std::wstring& url, bool& cancel) override;
  void NewWindow(const std::wstring& url, bool& cancel) override;
  void NewWindow2() override;
  void NavigateComplete(const std::wstring& url) override;
  void DocumentComplete(const std::wstring& url) override;

  void BeforeNavigate2ExplorerPage(const std::wstring& url, bool& cancel);
  void NewWindow3ExplorerPage(const std::wstring& bstrUrl, bool& cancel);
  void OnNavigatecomplete2ExplorerPage(const std::wstring& url);
  void DocumentCompleteExplorerPage(const std::wstring& url);
  void NewWindow2ExplorerPage();

  // Optical zoom z = p x p / 100 for the display scale percent p.
  void SetBrowserZoom();
  // On a login navigation: back to the start page while an update runs;
  // otherwise starts the client with the login tail (once per run) and
  // closes the launcher. A launch that fails leaves the launcher open with a
  // failure text on the status line.
  void LaunchGameClient(std::wstring address);

 private:
  bool IsLoginNavigation(const std::wstring& workingCopy) const;
  void Trace(const std::wstring& text);
  void FailLaunch(const wchar_t* statusText);

  PanelState& m_state;
  CExplorer_page& m_explorer;
  NavigationView& m_view;
  platform::Services m_services;
  bool m_bClientStarted = false;
};
