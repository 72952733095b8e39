#include "platform/linux/cairo_picture.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gdk/gdk.h>

#include <string>

namespace platform {

std::unique_ptr<CairoPicture> LoadResourcePicture(int id) {
  std::string path = "/qelt/png/" + std::to_string(id) + ".png";
  UniquePixbuf pixbuf(gdk_pixbuf_new_from_resource(path.c_str(), nullptr));
  if (!pixbuf.Valid()) return nullptr;
  int width = gdk_pixbuf_get_width(pixbuf.Get());
  int height = gdk_pixbuf_get_height(pixbuf.Get());
  // Painting the pixbuf onto an ARGB32 surface premultiplies its alpha.
  UniqueSurface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  {
    UniqueCairo cr(cairo_create(surface.Get()));
    gdk_cairo_set_source_pixbuf(cr.Get(), pixbuf.Get(), 0, 0);
    cairo_set_operator(cr.Get(), CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr.Get());
  }
  if (cairo_surface_status(surface.Get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  return std::make_unique<CairoPicture>(std::move(surface));
}

}  // namespace platform
