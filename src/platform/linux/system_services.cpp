#include "platform/system_services.h"

#include <gtk/gtk.h>

#include <optional>

#include "platform/linux/folder_cleaner.h"
#include "platform/linux/gtk_window_system.h"
#include "platform/system_parts.h"

namespace platform {

namespace {

struct UserInterfaceParts {
  GtkWindowSystem windows;
  LinuxFolderCleaner folders;
};

}  // namespace

struct SystemServices::Parts {
  SystemParts system;
  std::optional<UserInterfaceParts> ui;
};

SystemServices::SystemServices(int argc, char** argv) {
  gtk_init(&argc, &argv);
  parts_ = std::make_unique<Parts>();
  parts_->ui.emplace();
  parts_->system.Bundle(services_);
  services_.windows = &parts_->ui->windows;
  services_.folders = &parts_->ui->folders;
}

SystemServices::~SystemServices() = default;

void SystemServices::EndUserInterface() {
  services_.windows = nullptr;
  services_.folders = nullptr;
  parts_->ui.reset();
}

}  // namespace platform
