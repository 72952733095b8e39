// The operating-system services handed to the launcher as one bundle, so
// tests can hand it fakes.
#pragma once

namespace platform {

class ArchiveFiles;
class Environment;
class ProcessLauncher;
class Registry;
class Shell;
class Trace;

struct Services {
  const Environment* environment = nullptr;
  Registry* registry = nullptr;
  ProcessLauncher* processLauncher = nullptr;
  Shell* shell = nullptr;
  Trace* trace = nullptr;
  const ArchiveFiles* archiveFiles = nullptr;
};

}  // namespace platform
