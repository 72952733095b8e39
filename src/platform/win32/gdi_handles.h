// Owners for the GDI objects the window layer takes and gives back around
// each drawing.
#pragma once

#include <windows.h>

#include "platform/unique_resource.h"

namespace platform {

// A bitmap, brush or font made by this process.
struct GdiObjectTraits {
  using Handle = HGDIOBJ;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle object) { return object != nullptr; }
  static bool Close(Handle object) { return ::DeleteObject(object) != 0; }
};

using UniqueGdiObject = UniqueResource<GdiObjectTraits>;

// A window's device context; a null window gives the screen's. It is given
// back to the window it came from, so it is no UniqueResource.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A memory device context with one object selected into it for its lifetime.
class MemoryDc {
 public:
  MemoryDc(HDC compatibleWith, HGDIOBJ selected)
      : dc_(::CreateCompatibleDC(compatibleWith)),
        previous_(dc_ != nullptr ? ::SelectObject(dc_, selected) : nullptr) {}
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  ~MemoryDc() {
    if (dc_ == nullptr) return;
    ::SelectObject(dc_, previous_);
    ::DeleteDC(dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A 32-bit top-down DIB section of width x height, zero-filled (fully
// transparent black); `bits` receives its pixels, four bytes each: blue,
// green, red, alpha.
UniqueGdiObject CreateArgbSection(int width, int height, void** bits);

}  // namespace platform
