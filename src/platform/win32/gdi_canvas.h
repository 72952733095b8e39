// Drawing on the panel's device context while it paints.
#pragma once

#include <windows.h>

#include "platform/canvas.h"
#include "platform/win32/status_line.h"

namespace platform {

class GdiCanvas final : public Canvas {
 public:
  GdiCanvas(HDC dc, StatusLine& statusLine) : dc_(dc), statusLine_(statusLine) {}

  // AlphaBlend of the premultiplied picture, per-pixel alpha.
  void DrawPicture(const Picture& picture, const Rect& destination) override;
  // The panel's one line of text is its status control.
  void DrawTextLine(const std::wstring& text, const Rect& box, Rgb colour) override;

 private:
  HDC dc_;
  StatusLine& statusLine_;
};

}  // namespace platform
