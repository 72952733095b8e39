// Windows, pictures and message boxes on GTK.
#pragma once

#include "platform/linux/gtk_message_boxes.h"
#include "platform/window_system.h"

namespace platform {

class GtkWindowSystem final : public WindowSystem {
 public:
  std::unique_ptr<LauncherWindow> CreateLauncherWindow(WindowEvents& events) override;
  std::unique_ptr<Picture> LoadPngResource(int id) override;
  MessageBoxes& Messages() override { return messages_; }

 private:
  GtkMessageBoxes messages_;
};

}  // namespace platform
