// Modal message boxes with the launcher's own texts.
#pragma once

#include <string>

namespace platform {

enum class MessageButtons { Ok, OkCancel };
enum class MessageIcon { None, Warning };
enum class MessageAnswer { Ok, Cancel };

struct MessageRequest {
  std::wstring text;
  std::wstring caption;
  MessageButtons buttons = MessageButtons::Ok;
  MessageIcon icon = MessageIcon::None;
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Waits for the answer; closing the box answers Cancel.
  virtual MessageAnswer Show(const MessageRequest& request) = 0;
};

}  // namespace platform
