#include "platform/win32/gdiplus_picture.h"

#include <cstring>

#include <gdiplus.h>

#include "platform/win32/premultiply.h"

namespace platform {

namespace {

namespace flat = Gdiplus::DllExports;

// The resource's bytes in a stream of their own: the resource memory must not
// be handed to GDI+, which may read the stream long after decoding.
IStream* StreamOverPngResource(HMODULE module, int id) {
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
  if (found == nullptr) return nullptr;
  HGLOBAL loaded = ::LoadResource(module, found);
  const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  DWORD size = ::SizeofResource(module, found);
  if (bytes == nullptr || size == 0) return nullptr;

  HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (copy == nullptr) return nullptr;
  void* target = ::GlobalLock(copy);
  if (target == nullptr) {
    ::GlobalFree(copy);
    return nullptr;
  }
  std::memcpy(target, bytes, size);
  ::GlobalUnlock(copy);
  IStream* stream = nullptr;
  if (FAILED(::CreateStreamOnHGlobal(copy, TRUE, &stream))) {
    ::GlobalFree(copy);
    return nullptr;
  }
  return stream;
}

// The bitmap's pixels as 32-bit premultiplied BGRA in a DIB section.
UniqueGdiObject PremultipliedCopy(Gdiplus::GpBitmap* bitmap, int width, int height) {
  void* bits = nullptr;
  UniqueGdiObject section = CreateArgbSection(width, height, &bits);
  if (section.Get() == nullptr) return section;

  Gdiplus::GpRect all{0, 0, width, height};
  Gdiplus::BitmapData data{};
  data.Width = width;
  data.Height = height;
  data.Stride = width * 4;
  data.PixelFormat = PixelFormat32bppARGB;
  data.Scan0 = bits;
  // ImageLockModeUserInputBuf: GDI+ writes straight into the section.
  if (flat::GdipBitmapLockBits(bitmap, &all,
                               Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                               PixelFormat32bppARGB, &data) != Gdiplus::Ok) {
    return UniqueGdiObject();
  }
  flat::GdipBitmapUnlockBits(bitmap, &data);
  ::GdiFlush();
  PremultiplyAlpha(static_cast<std::uint8_t*>(bits), static_cast<std::size_t>(width) * height);
  return section;
}

}  // namespace

GdiplusPicture::GdiplusPicture(IStream* stream, Gdiplus::GpBitmap* bitmap, int width, int height,
                               UniqueGdiObject section)
    : stream_(stream),
      bitmap_(bitmap),
      width_(width),
      height_(height),
      section_(std::move(section)) {}

GdiplusPicture::~GdiplusPicture() {
  flat::GdipDisposeImage(bitmap_);
  stream_->Release();
}

std::unique_ptr<GdiplusPicture> GdiplusPicture::LoadPngResource(HMODULE module, int id) {
  IStream* stream = StreamOverPngResource(module, id);
  if (stream == nullptr) return nullptr;
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (flat::GdipCreateBitmapFromStream(stream, &bitmap) != Gdiplus::Ok || bitmap == nullptr) {
    stream->Release();
    return nullptr;
  }
  UINT width = 0;
  UINT height = 0;
  flat::GdipGetImageWidth(bitmap, &width);
  flat::GdipGetImageHeight(bitmap, &height);
  UniqueGdiObject section =
      PremultipliedCopy(bitmap, static_cast<int>(width), static_cast<int>(height));
  if (width == 0 || height == 0 || section.Get() == nullptr) {
    flat::GdipDisposeImage(bitmap);
    stream->Release();
    return nullptr;
  }
  return std::unique_ptr<GdiplusPicture>(new GdiplusPicture(
      stream, bitmap, static_cast<int>(width), static_cast<int>(height), std::move(section)));
}

}  // namespace platform
