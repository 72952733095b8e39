#include "platform/system_parts.h"

#include "platform/archive_files.h"
#include "platform/environment.h"
#include "platform/folder_locks.h"
#include "platform/http_transport.h"
#include "platform/process_launcher.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/trace.h"

namespace platform {

SystemParts::SystemParts()
    : environment_(MakeSystemEnvironment()),
      archiveFiles_(MakeSystemArchiveFiles()),
      registry_(MakeSystemRegistry()),
      processLauncher_(MakeSystemProcessLauncher()),
      shell_(MakeSystemShell()),
      trace_(MakeStdoutTrace()),
      folderLocks_(MakeSystemFolderLocks()),
      transport_(MakeSystemTransport()) {}

SystemParts::~SystemParts() = default;

void SystemParts::Bundle(Services& services) {
  services.environment = environment_.get();
  services.archiveFiles = archiveFiles_.get();
  services.registry = registry_.get();
  services.processLauncher = processLauncher_.get();
  services.shell = shell_.get();
  services.trace = trace_.get();
  services.folderLocks = folderLocks_.get();
  services.transport = transport_;
}

}  // namespace platform
