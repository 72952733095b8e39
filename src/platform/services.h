// The operating-system services handed to the launcher as one bundle, so
// tests can hand it fakes.
#pragma once

namespace platform {

class Environment;
class FolderCleaner;
class WindowSystem;

struct Services {
  const Environment* environment = nullptr;
  WindowSystem* windows = nullptr;
  const FolderCleaner* folders = nullptr;
};

}  // namespace platform
