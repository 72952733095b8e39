#include "platform/linux/cairo_picture.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gdk/gdk.h>

#include <string>

namespace platform {

std::unique_ptr<CairoPicture> LoadResourcePicture(int id) {
  std::string path = "/qelt/png/" + std::to_string(id) + ".png";
  GdkPixbuf* pixbuf = gdk_pixbuf_new_from_resource(path.c_str(), nullptr);
  if (pixbuf == nullptr) return nullptr;
  int width = gdk_pixbuf_get_width(pixbuf);
  int height = gdk_pixbuf_get_height(pixbuf);
  // Painting the pixbuf onto an ARGB32 surface premultiplies its alpha.
  UniqueSurface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  cairo_t* cr = cairo_create(surface.get());
  gdk_cairo_set_source_pixbuf(cr, pixbuf, 0, 0);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_destroy(cr);
  g_object_unref(pixbuf);
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  return std::make_unique<CairoPicture>(std::move(surface));
}

}  // namespace platform
