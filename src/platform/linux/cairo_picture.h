// A picture as a premultiplied ARGB cairo surface.
#pragma once

#include <cairo.h>

#include <memory>

#include "platform/picture.h"

namespace platform {

struct CairoSurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using UniqueSurface = std::unique_ptr<cairo_surface_t, CairoSurfaceDeleter>;

class CairoPicture final : public Picture {
 public:
  explicit CairoPicture(UniqueSurface surface) : surface_(std::move(surface)) {}
  int Width() const override { return cairo_image_surface_get_width(surface_.get()); }
  int Height() const override { return cairo_image_surface_get_height(surface_.get()); }
  cairo_surface_t* Surface() const { return surface_.get(); }

 private:
  UniqueSurface surface_;
};

// Decodes the PNG compiled in under /qelt/png/<id>.png; null when missing or
// undecodable.
std::unique_ptr<CairoPicture> LoadResourcePicture(int id);

}  // namespace platform
