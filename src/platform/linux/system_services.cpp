#include "platform/system_services.h"

#include <gtk/gtk.h>

#include "platform/environment.h"
#include "platform/linux/folder_cleaner.h"
#include "platform/linux/gtk_window_system.h"

namespace platform {

struct SystemServices::Parts {
  std::unique_ptr<Environment> environment;
  GtkWindowSystem windows;
  LinuxFolderCleaner folders;
};

SystemServices::SystemServices(int argc, char** argv) {
  gtk_init(&argc, &argv);
  parts_ = std::make_unique<Parts>();
  parts_->environment = MakeSystemEnvironment();
  services_.environment = parts_->environment.get();
  services_.windows = &parts_->windows;
  services_.folders = &parts_->folders;
}

SystemServices::~SystemServices() = default;

}  // namespace platform
