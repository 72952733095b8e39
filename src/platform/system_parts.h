// The operating-system services that need no window, made alike on every
// platform. The platform's start-up adds its window system and folder
// cleaner.
#pragma once

#include <memory>

#include "platform/services.h"

namespace platform {

class SystemParts {
 public:
  SystemParts();
  ~SystemParts();
  SystemParts(const SystemParts&) = delete;
  SystemParts& operator=(const SystemParts&) = delete;

  // Points `services` at these parts, which must outlive it.
  void Bundle(Services& services);

 private:
  std::unique_ptr<Environment> environment_;
  std::unique_ptr<ArchiveFiles> archiveFiles_;
  std::unique_ptr<Registry> registry_;
  std::unique_ptr<ProcessLauncher> processLauncher_;
  std::unique_ptr<Shell> shell_;
  std::unique_ptr<Trace> trace_;
  std::unique_ptr<FolderLocks> folderLocks_;
  std::shared_ptr<HttpTransport> transport_;
};

}  // namespace platform
