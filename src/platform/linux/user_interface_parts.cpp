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

}  // namespace

std::unique_ptr<UserInterfaceParts> StartUserInterface(int argc, char** argv) {
  gtk_init(&argc, &argv);
  return std::make_unique<GtkParts>();
}

}  // namespace platform
