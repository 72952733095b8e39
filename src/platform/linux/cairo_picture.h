// A picture as a premultiplied ARGB cairo surface.
#pragma once

#include <cairo.h>

#include <memory>

#include "platform/linux/glib_handles.h"
#include "platform/picture.h"

namespace platform {

class CairoPicture final : public Picture {
 public:
  explicit CairoPicture(UniqueSurface surface) : surface_(std::move(surface)) {}
  int Width() const override { return cairo_image_surface_get_width(surface_.Get()); }
  int Height() const override { return cairo_image_surface_get_height(surface_.Get()); }
  cairo_surface_t* Surface() const { return surface_.Get(); }

 private:
  UniqueSurface surface_;
};

// Decodes the PNG compiled in under /qelt/png/<id>.png; null when missing or
// undecodable.
std::unique_ptr<CairoPicture> LoadResourcePicture(int id);

}  // namespace platform
