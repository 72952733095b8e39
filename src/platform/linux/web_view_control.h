// The embedded browser as a WebKitWebView placed in a GtkFixed. The view is
// made only by Start, so the window can paint its first frame before WebKit
// starts; what the launcher asks of the browser before that is kept and
// applied then.
#pragma once

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <string>

#include "platform/browser_control.h"

namespace platform {

class WebViewControl final : public BrowserControl {
 public:
  // The view will be added to `container` and live as long as it.
  explicit WebViewControl(GtkFixed* container);
  WebViewControl(const WebViewControl&) = delete;
  WebViewControl& operator=(const WebViewControl&) = delete;
  ~WebViewControl() override;

  void SetSilent(bool silent) override;
  void Navigate(const std::wstring& url) override;
  void SetLeft(int pixels) override;
  void SetTop(int pixels) override;
  void SetWidth(int pixels) override;
  void SetHeight(int pixels) override;
  void SetOpticalZoom(int percent) override;

  // Makes the view, placed, shown or hidden and navigating as asked so far.
  // Later calls do nothing.
  void Start();
  void SetEvents(BrowserEvents* events) { events_ = events; }
  // Deletes the disk cache of the view's context, and no other website
  // data, waiting for the result.
  bool ClearDiskCache();
  void SetVisible(bool visible);

 private:
  static gboolean OnDecidePolicy(WebKitWebView* view, WebKitPolicyDecision* decision,
                                 WebKitPolicyDecisionType type, gpointer self);
  static void OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self);
  static gboolean OnScriptDialog(WebKitWebView* view, WebKitScriptDialog* dialog, gpointer self);
  void Place();

  GtkFixed* container_;
  WebKitWebView* view_ = nullptr;
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
