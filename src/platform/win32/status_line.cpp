#include "platform/win32/status_line.h"

namespace platform {

void StatusLine::Show(const std::wstring& text, const Rect& box, Rgb colour) {
  colour_ = RGB(colour.red, colour.green, colour.blue);
  if (control_ == nullptr) return;
  if (!placed_ || !(box == box_)) {
    ::MoveWindow(control_, box.x, box.y, box.width, box.height, TRUE);
    box_ = box;
    placed_ = true;
  }
  if (text != text_) {
    ::SetWindowTextW(control_, text.c_str());
    text_ = text;
  }
}

HBRUSH StatusLine::PrepareColours(HDC dc) const {
  ::SetTextColor(dc, colour_);
  ::SetBkMode(dc, TRANSPARENT);
  return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

}  // namespace platform
