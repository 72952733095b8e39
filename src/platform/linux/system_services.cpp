#include "platform/system_services.h"

#include <gtk/gtk.h>

#include "platform/linux/folder_cleaner.h"
#include "platform/linux/gtk_window_system.h"
#include "platform/system_parts.h"

namespace platform {

struct SystemServices::Parts {
  SystemParts system;
  GtkWindowSystem windows;
  LinuxFolderCleaner folders;
};

SystemServices::SystemServices(int argc, char** argv) {
  gtk_init(&argc, &argv);
  parts_ = std::make_unique<Parts>();
  parts_->system.Bundle(services_);
  services_.windows = &parts_->windows;
  services_.folders = &parts_->folders;
}

SystemServices::~SystemServices() = default;

}  // namespace platform
