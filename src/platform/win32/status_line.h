// The panel's status line: static control 1018 of the panel's template. Its
// text is drawn by the control itself, in the launcher's colour on no
// background of its own (WM_CTLCOLORSTATIC).
#pragma once

#include <string>

#include <windows.h>

#include "platform/canvas.h"
#include "platform/geometry.h"

namespace platform {

inline constexpr int kStatusLineId = 1018;

class StatusLine {
 public:
  void Attach(HWND control) { control_ = control; }
  bool Is(HWND window) const { return window != nullptr && window == control_; }
  // Places the control over `box` and gives it `text`; calls that change
  // nothing touch nothing, so painting can call this every time.
  void Show(const std::wstring& text, const Rect& box, Rgb colour);
  // The answer to the control's WM_CTLCOLORSTATIC.
  HBRUSH PrepareColours(HDC dc) const;

 private:
  HWND control_ = nullptr;
  std::wstring text_;
  Rect box_;
  bool placed_ = false;
  COLORREF colour_ = RGB(0, 0, 0);
};

}  // namespace platform
