// The GTK launcher window on a real display (run under xvfb-run).
#include "platform/linux/gtk_launcher_window.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

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
