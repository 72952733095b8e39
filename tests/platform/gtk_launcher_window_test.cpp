// The GTK launcher window on a real display (run under xvfb-run).
#include "platform/linux/gtk_launcher_window.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

namespace {

class QuietEvents final : public platform::WindowEvents {
 public:
  void OnPaint(platform::Canvas&) override {}
  void OnMouseDown(int, int) override {}
  void OnMouseUp(int, int) override {}
  bool OnKeyDown(platform::Key) override { return false; }
  void OnCommand(platform::PanelCommand) override {}
};

struct Script {
  platform::GtkLauncherWindow* window;
  platform::MessageAnswer answer = platform::MessageAnswer::Ok;
  bool timedOut = false;
};

gboolean CloseWindow(gpointer data) {
  static_cast<Script*>(data)->window->PostClose();
  return G_SOURCE_REMOVE;
}

// The clear-cache confirmation, say, with a login arriving while it is open.
gboolean ShowBox(gpointer data) {
  auto* script = static_cast<Script*>(data);
  g_timeout_add(200, CloseWindow, script);
  script->answer = script->window->OwnedMessages().Show(
      {L"确定清除缓存吗？", L"温馨提示", platform::MessageButtons::OkCancel});
  return G_SOURCE_REMOVE;
}

// Ends a hung test: answers every box and destroys every other window.
gboolean GiveUp(gpointer data) {
  static_cast<Script*>(data)->timedOut = true;
  GList* windows = gtk_window_list_toplevels();
  for (GList* item = windows; item != nullptr; item = item->next) {
    if (GTK_IS_DIALOG(item->data)) {
      gtk_dialog_response(GTK_DIALOG(item->data), GTK_RESPONSE_CANCEL);
    } else if (gtk_widget_get_parent(GTK_WIDGET(item->data)) == nullptr) {
      gtk_widget_destroy(GTK_WIDGET(item->data));
    }
  }
  g_list_free(windows);
  return G_SOURCE_REMOVE;
}

// One answer of the web view's cookie manager, waited for at most ten
// seconds.
struct CookieAnswer {
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  bool added = false;
  GList* cookies = nullptr;

  ~CookieAnswer() {
    g_list_free_full(cookies, reinterpret_cast<GDestroyNotify>(soup_cookie_free));
    g_main_loop_unref(loop);
  }
  void Wait() {
    guint watchdog = g_timeout_add_seconds(10, QuitLoop, loop);
    g_main_loop_run(loop);
    g_source_remove(watchdog);
  }
  static gboolean QuitLoop(gpointer loop) {
    g_main_loop_quit(static_cast<GMainLoop*>(loop));
    return G_SOURCE_CONTINUE;
  }
  static void Added(GObject* manager, GAsyncResult* result, gpointer data) {
    auto* answer = static_cast<CookieAnswer*>(data);
    answer->added = webkit_cookie_manager_add_cookie_finish(WEBKIT_COOKIE_MANAGER(manager), result,
                                                            nullptr) == TRUE;
    g_main_loop_quit(answer->loop);
  }
  static void Listed(GObject* manager, GAsyncResult* result, gpointer data) {
    auto* answer = static_cast<CookieAnswer*>(data);
    answer->cookies =
        webkit_cookie_manager_get_cookies_finish(WEBKIT_COOKIE_MANAGER(manager), result, nullptr);
    g_main_loop_quit(answer->loop);
  }
};

// The game page keeps the player's login in its cookies and storage.
TEST(GtkLauncherWindowTest, ClearingTheCacheKeepsThePlayersLogin) {
  ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "needs a display";
  QuietEvents events;
  platform::GtkLauncherWindow window(events);
  WebKitCookieManager* cookies =
      webkit_web_context_get_cookie_manager(webkit_web_context_get_default());
  SoupCookie* login = soup_cookie_new("session", "player", "127.0.0.1", "/", 3600);
  CookieAnswer added;
  webkit_cookie_manager_add_cookie(cookies, login, nullptr, CookieAnswer::Added, &added);
  added.Wait();
  soup_cookie_free(login);
  ASSERT_TRUE(added.added);

  EXPECT_TRUE(window.ClearBrowserData());
  CookieAnswer kept;
  webkit_cookie_manager_get_cookies(cookies, "http://127.0.0.1/", nullptr, CookieAnswer::Listed,
                                    &kept);
  kept.Wait();
  EXPECT_EQ(g_list_length(kept.cookies), 1u);
}

TEST(GtkLauncherWindowTest, ACloseWhileAMessageBoxIsOpenEndsTheWindow) {
  ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "needs a display";
  QuietEvents events;
  platform::GtkLauncherWindow window(events);
  Script script{&window};
  g_idle_add(ShowBox, &script);
  guint watchdog = g_timeout_add_seconds(10, GiveUp, &script);
  window.Run();
  if (!script.timedOut) g_source_remove(watchdog);
  EXPECT_FALSE(script.timedOut);
  // The box is answered as if closed.
  EXPECT_EQ(script.answer, platform::MessageAnswer::Cancel);
}

}  // namespace
