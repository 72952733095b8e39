#include "platform/win32/gdiplus_picture.h"

#include <cstring>

#include <gdiplus.h>

#include "platform/win32/premultiply.h"

namespace platform {

namespace {

namespace flat = Gdiplus::DllExports;

struct GlobalMemoryTraits {
  using Handle = HGLOBAL;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle memory) { return memory != nullptr; }
  static bool Close(Handle memory) { return ::GlobalFree(memory) == nullptr; }
};

// The resource's bytes in a stream of their own: the resource memory must not
// be handed to GDI+, which may read the stream long after decoding.
ComPtr<IStream> StreamOverPngResource(HMODULE module, int id) {
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
  if (found == nullptr) return {};
  HGLOBAL loaded = ::LoadResource(module, found);
  const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  DWORD size = ::SizeofResource(module, found);
  if (bytes == nullptr || size == 0) return {};

  UniqueResource<GlobalMemoryTraits> copy(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
  void* target = copy.Valid() ? ::GlobalLock(copy.Get()) : nullptr;
  if (target == nullptr) return {};
  std::memcpy(target, bytes, size);
  ::GlobalUnlock(copy.Get());
  ComPtr<IStream> stream;
  // The stream frees the memory once it owns it.
  if (SUCCEEDED(::CreateStreamOnHGlobal(copy.Get(), TRUE, stream.Put()))) copy.Release();
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

bool GdiplusBitmapTraits::Close(Handle bitmap) {
  return flat::GdipDisposeImage(bitmap) == Gdiplus::Ok;
}

GdiplusPicture::GdiplusPicture(ComPtr<IStream> stream, UniqueGdiplusBitmap bitmap, int width,
                               int height, UniqueGdiObject section)
    : stream_(std::move(stream)),
      bitmap_(std::move(bitmap)),
      width_(width),
      height_(height),
      section_(std::move(section)) {}

std::unique_ptr<GdiplusPicture> GdiplusPicture::LoadPngResource(HMODULE module, int id) {
  ComPtr<IStream> stream = StreamOverPngResource(module, id);
  if (!stream) return nullptr;
  UniqueGdiplusBitmap bitmap;
  if (flat::GdipCreateBitmapFromStream(stream.Get(), bitmap.Put()) != Gdiplus::Ok ||
      !bitmap.Valid()) {
    return nullptr;
  }
  UINT width = 0;
  UINT height = 0;
  flat::GdipGetImageWidth(bitmap.Get(), &width);
  flat::GdipGetImageHeight(bitmap.Get(), &height);
  UniqueGdiObject section =
      PremultipliedCopy(bitmap.Get(), static_cast<int>(width), static_cast<int>(height));
  if (width == 0 || height == 0 || section.Get() == nullptr) return nullptr;
  return std::unique_ptr<GdiplusPicture>(
      new GdiplusPicture(std::move(stream), std::move(bitmap), static_cast<int>(width),
                         static_cast<int>(height), std::move(section)));
}

}  // namespace platform
