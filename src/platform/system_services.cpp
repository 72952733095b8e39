#include "platform/system_services.h"

#include "platform/system_parts.h"
#include "platform/user_interface_parts.h"

namespace platform {

struct SystemServices::Parts {
  std::unique_ptr<UserInterfaceParts> ui;
  SystemParts system;
};

SystemServices::SystemServices(int argc, char** argv) : parts_(std::make_unique<Parts>()) {
  parts_->ui = StartUserInterface(argc, argv);
  parts_->system.Bundle(services_);
  services_.windows = &parts_->ui->Windows();
  services_.folders = &parts_->ui->Folders();
}

SystemServices::~SystemServices() = default;

void SystemServices::EndUserInterface() {
  services_.windows = nullptr;
  services_.folders = nullptr;
  parts_->ui.reset();
}

}  // namespace platform
