// The embedded browser as the launcher drives it: the WebBrowser control's
// dispatch calls on Windows, a WebKit web view on Linux.
#pragma once

#include <string>

namespace platform {

class BrowserControl {
 public:
  virtual ~BrowserControl() = default;
  // No dialogs of the browser's own (script errors, alerts).
  virtual void SetSilent(bool silent) = 0;
  virtual void Navigate(const std::wstring& url) = 0;
  virtual void SetLeft(int pixels) = 0;
  virtual void SetTop(int pixels) = 0;
  virtual void SetWidth(int pixels) = 0;
  virtual void SetHeight(int pixels) = 0;
  // Optical zoom in percent of the page's own size.
  virtual void SetOpticalZoom(int percent) = 0;
};

// What the control reports; the launcher's panel implements it. Called on the
// user-interface thread. Setting `cancel` stops the navigation or the window.
class BrowserEvents {
 public:
  virtual ~BrowserEvents() = default;
  virtual void BeforeNavigate(const std::wstring& url, bool& cancel) = 0;
  virtual void NewWindow(const std::wstring& url, bool& cancel) = 0;
  // The WebBrowser control's request that precedes NewWindow; WebKit has
  // none, so the Linux web view never calls it.
  virtual void NewWindow2() {}
  virtual void NavigateComplete(const std::wstring& url) = 0;
  virtual void DocumentComplete(const std::wstring& url) = 0;
};

}  // namespace platform
