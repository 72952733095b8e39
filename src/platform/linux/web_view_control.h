// The embedded browser: a WebKit view placed in a GtkFixed, made by the web
// view module only at Start, so the window can paint its first frame before
// WebKit is even loaded; what the launcher asks of the browser before that is
// kept and applied then.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "platform/browser_control.h"
#include "platform/linux/web_view_engine.h"

namespace platform {

class WebViewControl final : public BrowserControl, private WebViewHost {
 public:
  // The view will be added to `container` and live as long as it.
  explicit WebViewControl(GtkFixed* container) : container_(container) {}
  WebViewControl(const WebViewControl&) = delete;
  WebViewControl& operator=(const WebViewControl&) = delete;
  ~WebViewControl() override = default;

  void SetSilent(bool silent) override { silent_ = silent; }
  void Navigate(const std::wstring& url) override;
  void SetLeft(int pixels) override;
  void SetTop(int pixels) override;
  void SetWidth(int pixels) override;
  void SetHeight(int pixels) override;
  void SetOpticalZoom(int percent) override;

  // Makes the view, placed, shown or hidden and navigating as asked so far.
  // Later calls do nothing; so does every call when the module cannot load.
  void Start();
  void SetEvents(BrowserEvents* events) { events_ = events; }
  // Deletes the web views' disk cache, and no other website data, waiting
  // for the result.
  bool ClearDiskCache();
  void SetVisible(bool visible);

 private:
  bool BeforeNavigate(const char* url) override;
  void NewWindow(const char* url) override;
  void NavigateComplete(const char* url) override;
  void DocumentComplete(const char* url) override;
  bool Silent() const override { return silent_; }
  void Place();

  GtkFixed* container_;
  std::unique_ptr<WebViewEngine> engine_;
  std::wstring pendingUrl_;
  int zoomPercent_ = 0;
  bool visible_ = false;
  BrowserEvents* events_ = nullptr;
  bool silent_ = false;
  int left_ = 0;
  int top_ = 0;
  int width_ = 1;
  int height_ = 1;
};

}  // namespace platform
