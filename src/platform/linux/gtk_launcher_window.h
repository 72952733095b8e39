// The launcher's window on GTK: one undecorated toplevel with an RGBA visual
// that draws the background picture, the panel layer over it and, as a
// child, the web view. An input shape taken from the picture's alpha lets
// clicks on transparent pixels through, with or without a compositor.
#pragma once

#include <gtk/gtk.h>

#include <memory>

#include "platform/launcher_window.h"
#include "platform/linux/gtk_message_boxes.h"
#include "platform/linux/gtk_ui_thread.h"
#include "platform/linux/web_view_control.h"

namespace platform {

class GtkLauncherWindow final : public LauncherWindow {
 public:
  explicit GtkLauncherWindow(WindowEvents& events);
  ~GtkLauncherWindow() override;
  GtkLauncherWindow(const GtkLauncherWindow&) = delete;
  GtkLauncherWindow& operator=(const GtkLauncherWindow&) = delete;

  void SetBackground(const Picture* picture, int width, int height) override;
  void CenterOnWorkArea() override;
  void ShowPanel(bool show) override;
  void InvalidatePanel() override;
  void BeginDrag(int x, int y) override;
  void Minimize() override;
  void PostClose() override;
  void Run() override;

  BrowserControl& Browser() override { return *browser_; }
  void SetBrowserEvents(BrowserEvents* events) override { browser_->SetEvents(events); }
  bool ClearBrowserData() override { return browser_->ClearDiskCache(); }
  MessageBoxes& OwnedMessages() override { return messages_; }
  std::shared_ptr<UiThread> UiThreadHandle() override { return uiThread_; }

 private:
  static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer self);
  static gboolean OnButton(GtkWidget* widget, GdkEventButton* event, gpointer self);
  static gboolean OnKey(GtkWidget* widget, GdkEventKey* event, gpointer self);
  static void OnDestroy(GtkWidget* widget, gpointer self);
  static gboolean CloseLater(gpointer self);
  static gboolean StartBrowser(gpointer self);
  void ApplyInputShape();

  WindowEvents& events_;
  GtkWidget* window_;
  GtkWidget* layer_;
  std::unique_ptr<WebViewControl> browser_;
  GtkMessageBoxes messages_;
  std::shared_ptr<GtkUiThread> uiThread_ = std::make_shared<GtkUiThread>();
  GMainLoop* loop_;
  const Picture* background_ = nullptr;
  int width_ = 1;
  int height_ = 1;
  bool destroyed_ = false;
  guint closeSource_ = 0;
  // The browser starts once the first frame is drawn.
  bool firstFrameDrawn_ = false;
  guint browserSource_ = 0;
  // The press being dispatched; a drag starts from it.
  const GdkEventButton* press_ = nullptr;
};

}  // namespace platform
