#include "platform/linux/gtk_launcher_window.h"

#include <utility>

#include "platform/geometry.h"
#include "platform/linux/cairo_canvas.h"
#include "platform/linux/cairo_picture.h"
#include "platform/linux/glib_handles.h"

namespace platform {
namespace {

// A 1-bit mask of the pixels of `picture`, stretched to width x height, that
// are not fully transparent.
UniqueRegion OpaqueRegion(const Picture& picture, int width, int height) {
  UniqueSurface scaled(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  {
    UniqueCairo cr(cairo_create(scaled.Get()));
    PaintStretched(cr.Get(), picture, {0, 0, width, height});
  }
  cairo_surface_flush(scaled.Get());

  UniqueSurface mask(cairo_image_surface_create(CAIRO_FORMAT_A1, width, height));
  cairo_surface_flush(mask.Get());
  const unsigned char* from = cairo_image_surface_get_data(scaled.Get());
  int fromStride = cairo_image_surface_get_stride(scaled.Get());
  unsigned char* to = cairo_image_surface_get_data(mask.Get());
  int toStride = cairo_image_surface_get_stride(mask.Get());
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(from + y * fromStride);
    auto* bits = reinterpret_cast<uint32_t*>(to + y * toStride);
    for (int x = 0; x < width; ++x) {
      // A1 keeps pixel x in bit x % 32 of word x / 32 on little-endian hosts.
      if ((row[x] >> 24) != 0) bits[x / 32] |= 1u << (x % 32);
    }
  }
  cairo_surface_mark_dirty(mask.Get());
  return UniqueRegion(gdk_cairo_region_create_from_surface(mask.Get()));
}

Key KeyOf(guint keyval) {
  switch (keyval) {
    case GDK_KEY_Escape:
      return Key::Escape;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
      return Key::Enter;
    default:
      return Key::Other;
  }
}

}  // namespace

GtkLauncherWindow::GtkLauncherWindow(WindowEvents& events)
    : events_(events),
      window_(gtk_window_new(GTK_WINDOW_TOPLEVEL)),
      layer_(gtk_fixed_new()),
      messages_(GTK_WINDOW(window_)),
      loop_(g_main_loop_new(nullptr, FALSE)) {
  GtkWindow* window = GTK_WINDOW(window_);
  gtk_window_set_decorated(window, FALSE);
  gtk_window_set_resizable(window, FALSE);
  gtk_widget_set_app_paintable(window_, TRUE);
  GdkScreen* screen = gtk_widget_get_screen(window_);
  if (GdkVisual* rgba = gdk_screen_get_rgba_visual(screen)) gtk_widget_set_visual(window_, rgba);
  gtk_widget_add_events(window_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);

  gtk_container_add(GTK_CONTAINER(window_), layer_);
  browser_ = std::make_unique<WebViewControl>(GTK_FIXED(layer_));

  g_signal_connect(window_, "draw", G_CALLBACK(OnDraw), this);
  g_signal_connect(window_, "button-press-event", G_CALLBACK(OnButton), this);
  g_signal_connect(window_, "button-release-event", G_CALLBACK(OnButton), this);
  g_signal_connect(window_, "key-press-event", G_CALLBACK(OnKey), this);
  g_signal_connect(window_, "destroy", G_CALLBACK(OnDestroy), this);
}

GtkLauncherWindow::~GtkLauncherWindow() {
  uiThread_->Close();
  if (closeSource_ != 0) g_source_remove(closeSource_);
  if (browserSource_ != 0) g_source_remove(browserSource_);
  browser_.reset();
  if (!destroyed_) {
    g_signal_handlers_disconnect_by_data(window_, this);
    gtk_widget_destroy(window_);
  }
  g_main_loop_unref(loop_);
}

void GtkLauncherWindow::SetBackground(const Picture* picture, int width, int height) {
  background_ = picture;
  width_ = width > 0 ? width : 1;
  height_ = height > 0 ? height : 1;
  gtk_widget_set_size_request(layer_, width_, height_);
  gtk_window_resize(GTK_WINDOW(window_), width_, height_);
  ApplyInputShape();
  gtk_widget_queue_draw(window_);
}

void GtkLauncherWindow::ApplyInputShape() {
  if (background_ == nullptr) {
    gtk_widget_input_shape_combine_region(window_, nullptr);
    return;
  }
  UniqueRegion region = OpaqueRegion(*background_, width_, height_);
  gtk_widget_input_shape_combine_region(window_, region.Get());
}

void GtkLauncherWindow::CenterOnWorkArea() {
  GdkDisplay* display = gtk_widget_get_display(window_);
  GdkMonitor* monitor = nullptr;
  if (GdkWindow* own = gtk_widget_get_window(window_)) {
    monitor = gdk_display_get_monitor_at_window(display, own);
  }
  if (monitor == nullptr) monitor = gdk_display_get_primary_monitor(display);
  if (monitor == nullptr) monitor = gdk_display_get_monitor(display, 0);
  if (monitor == nullptr) return;
  GdkRectangle area;
  gdk_monitor_get_workarea(monitor, &area);
  Rect place = CenterIn({area.x, area.y, area.width, area.height}, width_, height_);
  gtk_window_move(GTK_WINDOW(window_), place.x, place.y);
}

void GtkLauncherWindow::ShowPanel(bool show) {
  browser_->SetVisible(show);
  gtk_widget_queue_draw(window_);
}

void GtkLauncherWindow::InvalidatePanel() {
  gtk_widget_queue_draw(window_);
}

void GtkLauncherWindow::BeginDrag(int, int) {
  if (press_ == nullptr) return;
  gtk_window_begin_move_drag(GTK_WINDOW(window_), static_cast<gint>(press_->button),
                             static_cast<gint>(press_->x_root), static_cast<gint>(press_->y_root),
                             press_->time);
}

void GtkLauncherWindow::Minimize() {
  gtk_window_iconify(GTK_WINDOW(window_));
}

void GtkLauncherWindow::PostClose() {
  if (destroyed_ || closeSource_ != 0) return;
  closeSource_ = g_idle_add(CloseLater, this);
}

gboolean GtkLauncherWindow::CloseLater(gpointer data) {
  auto* self = static_cast<GtkLauncherWindow*>(data);
  self->closeSource_ = 0;
  // A box's grab would swallow a close request: the box is answered and the
  // window destroyed outright.
  self->messages_.CloseOpen();
  gtk_widget_destroy(self->window_);
  return G_SOURCE_REMOVE;
}

void GtkLauncherWindow::Run() {
  if (destroyed_) return;
  gtk_widget_show(layer_);
  gtk_widget_show(window_);
  g_main_loop_run(loop_);
}

gboolean GtkLauncherWindow::OnDraw(GtkWidget*, cairo_t* cr, gpointer data) {
  auto* self = static_cast<GtkLauncherWindow*>(data);
  cairo_save(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgba(cr, 0, 0, 0, 0);
  cairo_paint(cr);
  cairo_restore(cr);
  if (self->background_ != nullptr) {
    PaintStretched(cr, *self->background_, {0, 0, self->width_, self->height_});
  }
  CairoCanvas canvas(cr);
  self->events_.OnPaint(canvas);
  // Starting WebKit takes longer than everything else before the first
  // frame: it waits until the frame is out.
  if (!std::exchange(self->firstFrameDrawn_, true)) {
    self->browserSource_ = g_idle_add(StartBrowser, self);
  }
  // The children (the web view) are drawn over it by GTK.
  return FALSE;
}

gboolean GtkLauncherWindow::StartBrowser(gpointer data) {
  auto* self = static_cast<GtkLauncherWindow*>(data);
  self->browserSource_ = 0;
  self->browser_->Start();
  return G_SOURCE_REMOVE;
}

gboolean GtkLauncherWindow::OnButton(GtkWidget* widget, GdkEventButton* event, gpointer data) {
  auto* self = static_cast<GtkLauncherWindow*>(data);
  // Presses the web view did not take come up here; they belong to it.
  if (event->window != gtk_widget_get_window(widget) || event->button != GDK_BUTTON_PRIMARY) {
    return FALSE;
  }
  int x = static_cast<int>(event->x);
  int y = static_cast<int>(event->y);
  if (event->type == GDK_BUTTON_PRESS) {
    self->press_ = event;
    self->events_.OnMouseDown(x, y);
    self->press_ = nullptr;
  } else if (event->type == GDK_BUTTON_RELEASE) {
    self->events_.OnMouseUp(x, y);
  }
  return TRUE;
}

gboolean GtkLauncherWindow::OnKey(GtkWidget*, GdkEventKey* event, gpointer data) {
  auto* self = static_cast<GtkLauncherWindow*>(data);
  return self->events_.OnKeyDown(KeyOf(event->keyval)) ? TRUE : FALSE;
}

void GtkLauncherWindow::OnDestroy(GtkWidget*, gpointer data) {
  auto* self = static_cast<GtkLauncherWindow*>(data);
  self->destroyed_ = true;
  self->uiThread_->Close();
  g_main_loop_quit(self->loop_);
}

}  // namespace platform
