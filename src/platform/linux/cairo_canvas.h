// Drawing on a cairo context during a GTK draw.
#pragma once

#include <cairo.h>

#include "platform/canvas.h"

namespace platform {

class CairoCanvas final : public Canvas {
 public:
  explicit CairoCanvas(cairo_t* cr) : cr_(cr) {}
  void DrawPicture(const Picture& picture, const Rect& destination) override;
  void DrawTextLine(const std::wstring& text, const Rect& box, Rgb colour) override;

 private:
  cairo_t* cr_;
};

// `picture` (a CairoPicture) stretched into `destination` over what `cr`
// holds.
void PaintStretched(cairo_t* cr, const Picture& picture, const Rect& destination);

}  // namespace platform
