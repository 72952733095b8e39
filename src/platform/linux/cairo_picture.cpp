#include "platform/linux/cairo_picture.h"

#include <gio/gio.h>

#include <cstring>
#include <string>

namespace platform {
namespace {

using UniqueBytes = UniqueAny<GBytes*, g_bytes_unref>;

// Cairo's reader over a PNG held in memory.
struct PngReader {
  const unsigned char* data;
  std::size_t left;

  static cairo_status_t Read(void* closure, unsigned char* out, unsigned int length) {
    auto* reader = static_cast<PngReader*>(closure);
    if (length > reader->left) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data, length);
    reader->data += length;
    reader->left -= length;
    return CAIRO_STATUS_SUCCESS;
  }
};

}  // namespace

// Cairo's own PNG reader: gdk-pixbuf would first load its loader modules and
// the MIME database to learn that a PNG is a PNG, a good part of the time
// before the first frame.
std::unique_ptr<CairoPicture> LoadResourcePicture(int id) {
  std::string path = "/qelt/png/" + std::to_string(id) + ".png";
  UniqueBytes bytes(g_resources_lookup_data(path.c_str(), G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr));
  if (!bytes.Valid()) return nullptr;
  gsize size = 0;
  const void* data = g_bytes_get_data(bytes.Get(), &size);
  PngReader reader{static_cast<const unsigned char*>(data), size};
  UniqueSurface decoded(cairo_image_surface_create_from_png_stream(&PngReader::Read, &reader));
  if (cairo_surface_status(decoded.Get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  if (cairo_image_surface_get_format(decoded.Get()) == CAIRO_FORMAT_ARGB32) {
    return std::make_unique<CairoPicture>(std::move(decoded));
  }
  // An opaque PNG comes as RGB24, whose unused byte is no alpha: painted onto
  // ARGB32 every pixel gets an alpha of 255.
  int width = cairo_image_surface_get_width(decoded.Get());
  int height = cairo_image_surface_get_height(decoded.Get());
  UniqueSurface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  {
    UniqueCairo cr(cairo_create(surface.Get()));
    cairo_set_source_surface(cr.Get(), decoded.Get(), 0, 0);
    cairo_set_operator(cr.Get(), CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr.Get());
  }
  if (cairo_surface_status(surface.Get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  return std::make_unique<CairoPicture>(std::move(surface));
}

}  // namespace platform
