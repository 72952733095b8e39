// Message boxes as GtkMessageDialogs, owned by a window or by none.
#pragma once

#include <gtk/gtk.h>

#include "platform/message_box.h"

namespace platform {

class GtkMessageBoxes final : public MessageBoxes {
 public:
  explicit GtkMessageBoxes(GtkWindow* owner = nullptr) : owner_(owner) {}
  MessageAnswer Show(const MessageRequest& request) override;

 private:
  GtkWindow* owner_;
};

}  // namespace platform
