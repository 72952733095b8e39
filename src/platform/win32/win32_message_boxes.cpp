#include "platform/win32/win32_message_boxes.h"

namespace platform {

MessageAnswer Win32MessageBoxes::Show(const MessageRequest& request) {
  UINT style = request.buttons == MessageButtons::OkCancel ? MB_OKCANCEL : MB_OK;
  if (request.icon == MessageIcon::Warning) style |= MB_ICONEXCLAMATION;
  int answer = ::MessageBoxW(owner_, request.text.c_str(), request.caption.c_str(), style);
  return answer == IDOK ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

}  // namespace platform
