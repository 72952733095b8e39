#include "platform/linux/cairo_canvas.h"

#include <pango/pangocairo.h>

#include "platform/linux/cairo_picture.h"
#include "platform/linux/glib_handles.h"
#include "platform/text_codec.h"

namespace platform {

void PaintStretched(cairo_t* cr, const Picture& picture, const Rect& destination) {
  if (picture.Width() <= 0 || picture.Height() <= 0) return;
  if (destination.width <= 0 || destination.height <= 0) return;
  const auto& source = static_cast<const CairoPicture&>(picture);
  cairo_save(cr);
  cairo_rectangle(cr, destination.x, destination.y, destination.width, destination.height);
  cairo_clip(cr);
  cairo_translate(cr, destination.x, destination.y);
  cairo_scale(cr, static_cast<double>(destination.width) / picture.Width(),
              static_cast<double>(destination.height) / picture.Height());
  cairo_set_source_surface(cr, source.Surface(), 0, 0);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_paint(cr);
  cairo_restore(cr);
}

void CairoCanvas::DrawPicture(const Picture& picture, const Rect& destination) {
  PaintStretched(cr_, picture, destination);
}

void CairoCanvas::DrawTextLine(const std::wstring& text, const Rect& box, Rgb colour) {
  if (box.height <= 0) return;
  UniqueLayout layout(pango_cairo_create_layout(cr_));
  std::string utf8 = EncodeUtf8(text);
  pango_layout_set_text(layout.Get(), utf8.c_str(), static_cast<int>(utf8.size()));
  UniqueFontDescription font(pango_font_description_from_string("Sans"));
  // An 8-point dialog font: 11 pixels in the 23-pixel line at 96 DPI.
  pango_font_description_set_absolute_size(font.Get(), box.height * 0.48 * PANGO_SCALE);
  pango_layout_set_font_description(layout.Get(), font.Get());
  pango_layout_set_width(layout.Get(), box.width * PANGO_SCALE);
  pango_layout_set_ellipsize(layout.Get(), PANGO_ELLIPSIZE_END);
  int textWidth = 0;
  int textHeight = 0;
  pango_layout_get_pixel_size(layout.Get(), &textWidth, &textHeight);
  cairo_save(cr_);
  cairo_set_source_rgb(cr_, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0);
  cairo_move_to(cr_, box.x, box.y + (box.height - textHeight) / 2.0);
  pango_cairo_show_layout(cr_, layout.Get());
  cairo_restore(cr_);
}

}  // namespace platform
