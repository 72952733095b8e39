// The launcher's window on Windows: the background, a layered dialog
// (template 150) drawn once with UpdateLayeredWindow, and over it the panel,
// a second top-level dialog (template 102) owned by the background and
// colour-keyed on black, which hosts the WebBrowser control.
#pragma once

#include <memory>

#include <windows.h>

#include "platform/launcher_window.h"
#include "platform/win32/deferred_browser.h"
#include "platform/win32/status_line.h"
#include "platform/win32/win32_message_boxes.h"
#include "platform/win32/win32_ui_thread.h"

namespace platform {

inline constexpr int kBackgroundDialogId = 150;
inline constexpr int kPanelDialogId = 102;
inline constexpr int kBrowserControlId = 1005;

class Win32LauncherWindow final : public LauncherWindow {
 public:
  // Creates both dialogs, hidden; `events` must outlive the window.
  Win32LauncherWindow(HINSTANCE instance, WindowEvents& events);
  ~Win32LauncherWindow() override;
  Win32LauncherWindow(const Win32LauncherWindow&) = delete;
  Win32LauncherWindow& operator=(const Win32LauncherWindow&) = delete;

  void SetBackground(const Picture* picture, int width, int height) override;
  void CenterOnWorkArea() override;
  void ShowPanel(bool show) override;
  void InvalidatePanel() override;
  void BeginDrag(int x, int y) override;
  void Minimize() override;
  void PostClose() override;
  void Run() override;

  BrowserControl& Browser() override;
  void SetBrowserEvents(BrowserEvents* events) override;
  bool ClearBrowserData() override;

  MessageBoxes& OwnedMessages() override { return ownedMessages_; }
  std::shared_ptr<UiThread> UiThreadHandle() override { return uiThread_; }

 private:
  static INT_PTR CALLBACK BackgroundProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK PanelProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnBackgroundMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnPanelMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  void InitPanel(HWND dialog);
  void PaintPanel();
  // Makes the WebBrowser control, once the first frame is out.
  void StartBrowser();
  void FollowBackground();
  // Escape and the browser's keys; true when `message` is consumed.
  bool PreTranslateMessage(MSG& message);

  WindowEvents& events_;
  HWND background_ = nullptr;
  HWND panel_ = nullptr;
  bool closed_ = false;
  // Zero unless the end-to-end run's hooks are on (test_navigation.h).
  UINT testNavigateMessage_;
  StatusLine statusLine_;
  Win32MessageBoxes ownedMessages_;
  DeferredBrowser browser_;
  BrowserEvents* browserEvents_ = nullptr;
  bool browserStartPosted_ = false;
  std::shared_ptr<Win32UiThread> uiThread_;
};

}  // namespace platform
