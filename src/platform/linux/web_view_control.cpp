#include "platform/linux/web_view_control.h"

#include <string>
#include <utility>

#include "platform/text_codec.h"

namespace platform {
namespace {

std::wstring Wide(const char* uri) {
  return DecodeUtf8(uri != nullptr ? uri : "");
}

struct ClearResult {
  GMainLoop* loop;
  bool cleared = false;
};

void OnDataCleared(GObject* manager, GAsyncResult* result, gpointer data) {
  auto* outcome = static_cast<ClearResult*>(data);
  outcome->cleared = webkit_website_data_manager_clear_finish(WEBKIT_WEBSITE_DATA_MANAGER(manager),
                                                              result, nullptr) == TRUE;
  g_main_loop_quit(outcome->loop);
}

}  // namespace

WebViewControl::WebViewControl(GtkFixed* container) : container_(container) {}

WebViewControl::~WebViewControl() {
  if (view_ == nullptr) return;
  // The container may have destroyed the view already; our reference keeps
  // the object itself alive until here.
  g_signal_handlers_disconnect_by_data(view_, this);
  g_object_unref(view_);
}

void WebViewControl::Start() {
  if (view_ != nullptr) return;
  view_ = WEBKIT_WEB_VIEW(webkit_web_view_new());
  g_object_ref_sink(view_);
  gtk_fixed_put(container_, GTK_WIDGET(view_), left_, top_);
  Place();
  g_signal_connect(view_, "decide-policy", G_CALLBACK(OnDecidePolicy), this);
  g_signal_connect(view_, "load-changed", G_CALLBACK(OnLoadChanged), this);
  g_signal_connect(view_, "script-dialog", G_CALLBACK(OnScriptDialog), this);
  SetOpticalZoom(zoomPercent_);
  SetVisible(visible_);
  if (!pendingUrl_.empty()) Navigate(std::exchange(pendingUrl_, std::wstring()));
}

void WebViewControl::SetVisible(bool visible) {
  visible_ = visible;
  if (view_ != nullptr) gtk_widget_set_visible(GTK_WIDGET(view_), visible);
}

void WebViewControl::SetSilent(bool silent) {
  silent_ = silent;
}

void WebViewControl::Navigate(const std::wstring& url) {
  if (view_ == nullptr) {
    pendingUrl_ = url;
    return;
  }
  webkit_web_view_load_uri(view_, EncodeUtf8(url).c_str());
}

void WebViewControl::SetLeft(int pixels) {
  left_ = pixels;
  Place();
}

void WebViewControl::SetTop(int pixels) {
  top_ = pixels;
  Place();
}

void WebViewControl::SetWidth(int pixels) {
  width_ = pixels;
  Place();
}

void WebViewControl::SetHeight(int pixels) {
  height_ = pixels;
  Place();
}

void WebViewControl::SetOpticalZoom(int percent) {
  if (percent <= 0) return;
  zoomPercent_ = percent;
  if (view_ != nullptr) webkit_web_view_set_zoom_level(view_, percent / 100.0);
}

void WebViewControl::Place() {
  if (view_ == nullptr) return;
  gtk_fixed_move(container_, GTK_WIDGET(view_), left_, top_);
  gtk_widget_set_size_request(GTK_WIDGET(view_), width_ > 0 ? width_ : 1,
                              height_ > 0 ? height_ : 1);
}

bool WebViewControl::ClearDiskCache() {
  WebKitWebContext* context =
      view_ != nullptr ? webkit_web_view_get_context(view_) : webkit_web_context_get_default();
  WebKitWebsiteDataManager* manager = webkit_web_context_get_website_data_manager(context);
  if (manager == nullptr) return false;
  ClearResult outcome{g_main_loop_new(nullptr, FALSE)};
  // Only the cache: cookies and the page's storage hold the player's login.
  webkit_website_data_manager_clear(manager, WEBKIT_WEBSITE_DATA_DISK_CACHE, 0, nullptr,
                                    OnDataCleared, &outcome);
  g_main_loop_run(outcome.loop);
  g_main_loop_unref(outcome.loop);
  return outcome.cleared;
}

gboolean WebViewControl::OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                        WebKitPolicyDecisionType type, gpointer data) {
  auto* self = static_cast<WebViewControl*>(data);
  if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) return FALSE;
  auto* navigation = WEBKIT_NAVIGATION_POLICY_DECISION(decision);
  WebKitURIRequest* request = webkit_navigation_action_get_request(
      webkit_navigation_policy_decision_get_navigation_action(navigation));
  std::wstring url = Wide(webkit_uri_request_get_uri(request));
  bool cancel = false;
  if (type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
    // The launcher never opens windows of its own; its handler decides
    // where the address goes instead.
    if (self->events_ != nullptr) self->events_->NewWindow(url, cancel);
    webkit_policy_decision_ignore(decision);
    return TRUE;
  }
  if (self->events_ != nullptr) self->events_->BeforeNavigate(url, cancel);
  if (cancel) {
    webkit_policy_decision_ignore(decision);
  } else {
    webkit_policy_decision_use(decision);
  }
  return TRUE;
}

void WebViewControl::OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer data) {
  auto* self = static_cast<WebViewControl*>(data);
  if (self->events_ == nullptr) return;
  if (event == WEBKIT_LOAD_COMMITTED) {
    self->events_->NavigateComplete(Wide(webkit_web_view_get_uri(view)));
  } else if (event == WEBKIT_LOAD_FINISHED) {
    self->events_->DocumentComplete(Wide(webkit_web_view_get_uri(view)));
  }
}

gboolean WebViewControl::OnScriptDialog(WebKitWebView*, WebKitScriptDialog*, gpointer data) {
  // Handled means no dialog is shown: confirm() answers false, prompt() null.
  return static_cast<WebViewControl*>(data)->silent_ ? TRUE : FALSE;
}

}  // namespace platform
