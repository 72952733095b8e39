// Between the launcher and its web view module. WebKit and the two hundred
// libraries it brings are loaded only after the window's first frame: linked
// into the launcher they cost some 50 ms before it. The module holds nothing
// of the launcher's; addresses cross as UTF-8.
#pragma once

#include <gtk/gtk.h>

namespace platform {

// The WebKit view, made by the module.
class WebViewEngine {
 public:
  virtual ~WebViewEngine() = default;
  virtual void Navigate(const char* url) = 0;
  virtual void Place(int left, int top, int width, int height) = 0;
  virtual void SetZoomLevel(double level) = 0;
  virtual void SetVisible(bool visible) = 0;
};

// What the view tells the launcher, as BrowserEvents' calls of the same names.
class WebViewHost {
 public:
  // True cancels the navigation.
  virtual bool BeforeNavigate(const char* url) = 0;
  virtual void NewWindow(const char* url) = 0;
  virtual void NavigateComplete(const char* url) = 0;
  virtual void DocumentComplete(const char* url) = 0;
  // Whether script dialogs (alert, confirm, prompt) are suppressed.
  virtual bool Silent() const = 0;

 protected:
  ~WebViewHost() = default;
};

// The module's entries, looked up by these names.
using MakeWebViewEngine = WebViewEngine* (*)(GtkFixed* container, WebViewHost* host);
using ClearWebViewDiskCache = bool (*)();
inline constexpr const char* kMakeWebViewEngineName = "qelt_make_web_view_engine";
inline constexpr const char* kClearWebViewDiskCacheName = "qelt_clear_web_view_disk_cache";

}  // namespace platform
