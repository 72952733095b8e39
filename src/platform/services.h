// The operating-system services handed to the launcher as one bundle, so
// tests can hand it fakes.
#pragma once

#include <memory>

namespace platform {

class ArchiveFiles;
class Environment;
class FolderCleaner;
class FolderLocks;
class HttpTransport;
class ProcessLauncher;
class Registry;
class Shell;
class Trace;
class WindowSystem;

struct Services {
  const Environment* environment = nullptr;
  Registry* registry = nullptr;
  ProcessLauncher* processLauncher = nullptr;
  Shell* shell = nullptr;
  Trace* trace = nullptr;
  const ArchiveFiles* archiveFiles = nullptr;
  WindowSystem* windows = nullptr;
  const FolderCleaner* folders = nullptr;
  FolderLocks* folderLocks = nullptr;
  // Shared: the update workers are detached and may still be downloading
  // when whoever made the bundle is gone.
  std::shared_ptr<HttpTransport> transport = nullptr;
};

}  // namespace platform
