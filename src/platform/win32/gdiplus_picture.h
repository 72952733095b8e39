// A PNG resource decoded by GDI+, kept twice: as the GDI+ bitmap (for
// stretching into the layered background) and as a premultiplied 32-bit DIB
// section (for AlphaBlend on the panel).
#pragma once

#include <memory>

#include <objidl.h>
#include <windows.h>

#include "platform/com_ptr.h"
#include "platform/picture.h"
#include "platform/unique_resource.h"
#include "platform/win32/gdi_handles.h"

namespace Gdiplus {
class GpBitmap;
}

namespace platform {

struct GdiplusBitmapTraits {
  using Handle = Gdiplus::GpBitmap*;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle bitmap) { return bitmap != nullptr; }
  static bool Close(Handle bitmap);
};

using UniqueGdiplusBitmap = UniqueResource<GdiplusBitmapTraits>;

class GdiplusPicture final : public Picture {
 public:
  GdiplusPicture(const GdiplusPicture&) = delete;
  GdiplusPicture& operator=(const GdiplusPicture&) = delete;

  // Resource `id` of type "PNG" in `module`; null when it is missing or
  // cannot be decoded. GDI+ must be running.
  static std::unique_ptr<GdiplusPicture> LoadPngResource(HMODULE module, int id);

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  Gdiplus::GpBitmap* Bitmap() const { return bitmap_.Get(); }
  HBITMAP PremultipliedSection() const { return static_cast<HBITMAP>(section_.Get()); }

 private:
  GdiplusPicture(ComPtr<IStream> stream, UniqueGdiplusBitmap bitmap, int width, int height,
                 UniqueGdiObject section);

  // GDI+ may read the stream for as long as the bitmap lives: declared
  // first, released last.
  ComPtr<IStream> stream_;
  UniqueGdiplusBitmap bitmap_;
  int width_;
  int height_;
  UniqueGdiObject section_;
};

}  // namespace platform
