#include "platform/linux/gtk_window_system.h"

#include "platform/linux/cairo_picture.h"
#include "platform/linux/gtk_launcher_window.h"

namespace platform {

std::unique_ptr<LauncherWindow> GtkWindowSystem::CreateLauncherWindow(WindowEvents& events) {
  return std::make_unique<GtkLauncherWindow>(events);
}

std::unique_ptr<Picture> GtkWindowSystem::LoadPngResource(int id) {
  return LoadResourcePicture(id);
}

}  // namespace platform
