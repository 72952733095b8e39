#include "platform/win32/win32_window_system.h"

#include "platform/win32/gdiplus_picture.h"
#include "platform/win32/win32_launcher_window.h"

namespace platform {

std::unique_ptr<LauncherWindow> Win32WindowSystem::CreateLauncherWindow(WindowEvents& events) {
  return std::make_unique<Win32LauncherWindow>(module_, events);
}

std::unique_ptr<Picture> Win32WindowSystem::LoadPngResource(int id) {
  return GdiplusPicture::LoadPngResource(module_, id);
}

}  // namespace platform
