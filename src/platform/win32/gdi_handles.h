// Owners for the GDI objects the window layer takes and gives back around
// each drawing.
#pragma once

#include <windows.h>

namespace platform {

// A bitmap, brush or font made by this process.
class UniqueGdiObject {
 public:
  explicit UniqueGdiObject(HGDIOBJ object = nullptr) : object_(object) {}
  UniqueGdiObject(const UniqueGdiObject&) = delete;
  UniqueGdiObject& operator=(const UniqueGdiObject&) = delete;
  UniqueGdiObject(UniqueGdiObject&& other) noexcept : object_(other.object_) {
    other.object_ = nullptr;
  }
  ~UniqueGdiObject() {
    if (object_ != nullptr) ::DeleteObject(object_);
  }
  HGDIOBJ Get() const { return object_; }

 private:
  HGDIOBJ object_;
};

// A window's device context (null window: the screen's).
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
