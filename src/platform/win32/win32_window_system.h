// Windows, pictures and ownerless message boxes on Win32.
#pragma once

#include <windows.h>

#include "platform/win32/win32_message_boxes.h"
#include "platform/window_system.h"

namespace platform {

class Win32WindowSystem final : public WindowSystem {
 public:
  // `module` holds the dialog templates and the PNG resources.
  explicit Win32WindowSystem(HINSTANCE module) : module_(module) {}

  std::unique_ptr<LauncherWindow> CreateLauncherWindow(WindowEvents& events) override;
  std::unique_ptr<Picture> LoadPngResource(int id) override;
  MessageBoxes& Messages() override { return messages_; }

 private:
  HINSTANCE module_;
  Win32MessageBoxes messages_;
};

}  // namespace platform
