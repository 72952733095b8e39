#include "platform/system_services.h"

#include <gtk/gtk.h>

#include "platform/archive_files.h"
#include "platform/downloader.h"
#include "platform/environment.h"
#include "platform/linux/folder_cleaner.h"
#include "platform/linux/gtk_window_system.h"
#include "platform/process_launcher.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/trace.h"

namespace platform {

struct SystemServices::Parts {
  std::unique_ptr<Environment> environment;
  std::unique_ptr<ArchiveFiles> archiveFiles;
  std::unique_ptr<Registry> registry = MakeSystemRegistry();
  std::unique_ptr<ProcessLauncher> processLauncher = MakeSystemProcessLauncher();
  std::unique_ptr<Shell> shell = MakeSystemShell();
  std::unique_ptr<Trace> trace = MakeStdoutTrace();
  GtkWindowSystem windows;
  LinuxFolderCleaner folders;
};

SystemServices::SystemServices(int argc, char** argv) {
  gtk_init(&argc, &argv);
  parts_ = std::make_unique<Parts>();
  parts_->environment = MakeSystemEnvironment();
  services_.environment = parts_->environment.get();
  parts_->archiveFiles = MakeSystemArchiveFiles();
  services_.archiveFiles = parts_->archiveFiles.get();
  services_.downloader = MakeSystemDownloader();
  services_.registry = parts_->registry.get();
  services_.processLauncher = parts_->processLauncher.get();
  services_.shell = parts_->shell.get();
  services_.trace = parts_->trace.get();
  services_.windows = &parts_->windows;
  services_.folders = &parts_->folders;
}

SystemServices::~SystemServices() = default;

}  // namespace platform
