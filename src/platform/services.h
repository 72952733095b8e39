// The operating-system services handed to the launcher as one bundle, so
// tests can hand it fakes.
#pragma once

namespace platform {

class ArchiveFiles;
class Environment;

struct Services {
  const Environment* environment = nullptr;
  const ArchiveFiles* archiveFiles = nullptr;
};

}  // namespace platform
