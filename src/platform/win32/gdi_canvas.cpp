#include "platform/win32/gdi_canvas.h"

#include "platform/win32/gdi_handles.h"
#include "platform/win32/gdiplus_picture.h"

namespace platform {

void GdiCanvas::DrawPicture(const Picture& picture, const Rect& destination) {
  // Every picture of this window system is a GdiplusPicture.
  const auto& decoded = static_cast<const GdiplusPicture&>(picture);
  MemoryDc source(dc_, decoded.PremultipliedSection());
  if (source.Get() == nullptr) return;
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ::AlphaBlend(dc_, destination.x, destination.y, destination.width, destination.height,
               source.Get(), 0, 0, decoded.Width(), decoded.Height(), blend);
}

void GdiCanvas::DrawTextLine(const std::wstring& text, const Rect& box, Rgb colour) {
  statusLine_.Show(text, box, colour);
}

}  // namespace platform
