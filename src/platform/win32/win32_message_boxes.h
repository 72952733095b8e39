// MessageBoxW with an owner window (or none).
#pragma once

#include <windows.h>

#include "platform/message_box.h"

namespace platform {

class Win32MessageBoxes final : public MessageBoxes {
 public:
  explicit Win32MessageBoxes(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  MessageAnswer Show(const MessageRequest& request) override;

 private:
  HWND owner_;
};

}  // namespace platform
