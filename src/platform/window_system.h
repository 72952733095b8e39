// Windows, pictures and ownerless message boxes.
#pragma once

#include <memory>

#include "platform/launcher_window.h"
#include "platform/message_box.h"
#include "platform/picture.h"

namespace platform {

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  // `events` must outlive the window.
  virtual std::unique_ptr<LauncherWindow> CreateLauncherWindow(WindowEvents& events) = 0;
  // The PNG picture compiled into the launcher under `id`; null when there
  // is none or it cannot be decoded.
  virtual std::unique_ptr<Picture> LoadPngResource(int id) = 0;
  // Message boxes without an owner window.
  virtual MessageBoxes& Messages() = 0;
};

}  // namespace platform
