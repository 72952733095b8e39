// Message boxes as GtkMessageDialogs, owned by a window or by none.
#pragma once

#include <gtk/gtk.h>

#include "platform/message_box.h"

namespace platform {

class GtkMessageBoxes final : public MessageBoxes {
 public:
  explicit GtkMessageBoxes(GtkWindow* owner = nullptr) : owner_(owner) {}
  MessageAnswer Show(const MessageRequest& request) override;
  // Answers the open box, if any, as if it were closed.
  void CloseOpen();

 private:
  GtkWindow* owner_;
  // The box Show waits for; boxes opened from within it stack.
  GtkDialog* open_ = nullptr;
};

}  // namespace platform
