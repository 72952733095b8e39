// The web view module: a WebKitWebView in the launcher's GtkFixed.
#include <webkit2/webkit2.h>

#include "platform/linux/web_view_engine.h"

namespace platform {
namespace {

const char* UriOf(WebKitURIRequest* request) {
  const char* uri = webkit_uri_request_get_uri(request);
  return uri != nullptr ? uri : "";
}

const char* UriOf(WebKitWebView* view) {
  const char* uri = webkit_web_view_get_uri(view);
  return uri != nullptr ? uri : "";
}

class WebKitEngine final : public WebViewEngine {
 public:
  WebKitEngine(GtkFixed* container, WebViewHost* host)
      : container_(container),
        host_(host),
        view_(WEBKIT_WEB_VIEW(g_object_ref_sink(webkit_web_view_new()))) {
    gtk_fixed_put(container_, GTK_WIDGET(view_), 0, 0);
    g_signal_connect(view_, "decide-policy", G_CALLBACK(OnDecidePolicy), this);
    g_signal_connect(view_, "load-changed", G_CALLBACK(OnLoadChanged), this);
    g_signal_connect(view_, "script-dialog", G_CALLBACK(OnScriptDialog), this);
  }
  WebKitEngine(const WebKitEngine&) = delete;
  WebKitEngine& operator=(const WebKitEngine&) = delete;

  ~WebKitEngine() override {
    // The container may have destroyed the view already; our reference keeps
    // the object itself alive until here.
    g_signal_handlers_disconnect_by_data(view_, this);
    g_object_unref(view_);
  }

  void Navigate(const char* url) override { webkit_web_view_load_uri(view_, url); }

  void Place(int left, int top, int width, int height) override {
    gtk_fixed_move(container_, GTK_WIDGET(view_), left, top);
    gtk_widget_set_size_request(GTK_WIDGET(view_), width, height);
  }

  void SetZoomLevel(double level) override { webkit_web_view_set_zoom_level(view_, level); }

  void SetVisible(bool visible) override { gtk_widget_set_visible(GTK_WIDGET(view_), visible); }

 private:
  static gboolean OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                 WebKitPolicyDecisionType type, gpointer data) {
    WebViewHost& host = *static_cast<WebKitEngine*>(data)->host_;
    if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) return FALSE;
    auto* navigation = WEBKIT_NAVIGATION_POLICY_DECISION(decision);
    WebKitURIRequest* request = webkit_navigation_action_get_request(
        webkit_navigation_policy_decision_get_navigation_action(navigation));
    if (type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
      // The launcher never opens windows of its own; its handler decides
      // where the address goes instead.
      host.NewWindow(UriOf(request));
      webkit_policy_decision_ignore(decision);
      return TRUE;
    }
    if (host.BeforeNavigate(UriOf(request))) {
      webkit_policy_decision_ignore(decision);
    } else {
      webkit_policy_decision_use(decision);
    }
    return TRUE;
  }

  static void OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer data) {
    WebViewHost& host = *static_cast<WebKitEngine*>(data)->host_;
    if (event == WEBKIT_LOAD_COMMITTED) {
      host.NavigateComplete(UriOf(view));
    } else if (event == WEBKIT_LOAD_FINISHED) {
      host.DocumentComplete(UriOf(view));
    }
  }

  static gboolean OnScriptDialog(WebKitWebView*, WebKitScriptDialog*, gpointer data) {
    // Handled means no dialog is shown: confirm() answers false, prompt() null.
    return static_cast<WebKitEngine*>(data)->host_->Silent() ? TRUE : FALSE;
  }

  GtkFixed* container_;
  WebViewHost* host_;
  WebKitWebView* view_;
};

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
}  // namespace platform

extern "C" {

__attribute__((visibility("default"))) platform::WebViewEngine* qelt_make_web_view_engine(
    GtkFixed* container, platform::WebViewHost* host) {
  return new platform::WebKitEngine(container, host);
}

// Deletes the disk cache of the default context, the views' own, and no
// other website data, waiting for the result.
__attribute__((visibility("default"))) bool qelt_clear_web_view_disk_cache() {
  WebKitWebsiteDataManager* manager =
      webkit_web_context_get_website_data_manager(webkit_web_context_get_default());
  if (manager == nullptr) return false;
  platform::ClearResult outcome{g_main_loop_new(nullptr, FALSE)};
  // Only the cache: cookies and the page's storage hold the player's login.
  webkit_website_data_manager_clear(manager, WEBKIT_WEBSITE_DATA_DISK_CACHE, 0, nullptr,
                                    platform::OnDataCleared, &outcome);
  g_main_loop_run(outcome.loop);
  g_main_loop_unref(outcome.loop);
  return outcome.cleared;
}
}
