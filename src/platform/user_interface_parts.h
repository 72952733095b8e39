// The platform's part of start-up that serves the windows: its window system
// and folder cleaner, and what they need running (GTK; GDI+ and OLE on
// Windows). Destroying it ends them.
#pragma once

#include <memory>

#include "platform/folder_cleaner.h"
#include "platform/window_system.h"

namespace platform {

class UserInterfaceParts {
 public:
  virtual ~UserInterfaceParts() = default;
  virtual WindowSystem& Windows() = 0;
  virtual FolderCleaner& Folders() = 0;
};

// Each platform's start-up defines it.
std::unique_ptr<UserInterfaceParts> StartUserInterface(int argc, char** argv);

}  // namespace platform
