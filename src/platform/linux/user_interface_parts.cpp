#include <gtk/gtk.h>

#include "platform/linux/folder_cleaner.h"
#include "platform/linux/gtk_window_system.h"
#include "platform/user_interface_parts.h"

namespace platform {
namespace {

class GtkParts final : public UserInterfaceParts {
 public:
  WindowSystem& Windows() override { return windows_; }
  FolderCleaner& Folders() override { return folders_; }

 private:
  GtkWindowSystem windows_;
  LinuxFolderCleaner folders_;
};

// Opening an X display, GDK sets up OpenGL (with a software driver, tens of
// milliseconds before the first frame) that the launcher never uses: it
// draws with cairo, and on X11 the web view shows its pages without GDK's GL.
// On Wayland the web view's buffers reach the window through it, so it stays.
// A player's own GDK_GL stands, and the child processes never see ours.
void OpenDisplay(int& argc, char**& argv) {
  const char* wayland = g_getenv("WAYLAND_DISPLAY");
  bool skipGl = (wayland == nullptr || *wayland == '\0') && g_getenv("GDK_GL") == nullptr;
  if (skipGl) g_setenv("GDK_GL", "disable", TRUE);
  gtk_init(&argc, &argv);
  if (skipGl) g_unsetenv("GDK_GL");
}

}  // namespace

std::unique_ptr<UserInterfaceParts> StartUserInterface(int argc, char** argv) {
  OpenDisplay(argc, argv);
  return std::make_unique<GtkParts>();
}

}  // namespace platform
