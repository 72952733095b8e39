#include <windows.h>

#include <commctrl.h>
#include <gdiplus.h>
#include <ole2.h>

#include "platform/user_interface_parts.h"
#include "platform/win32/command_folder_cleaner.h"
#include "platform/win32/win32_window_system.h"

namespace platform {

namespace {

// GDI+ from start-up to exit, for decoding and stretching the pictures.
class GdiplusSession {
 public:
  GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
  }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;
  ~GdiplusSession() {
    if (token_ != 0) Gdiplus::GdiplusShutdown(token_);
  }

 private:
  ULONG_PTR token_ = 0;
};

// OLE on this thread, for hosting the WebBrowser control.
class OleSession {
 public:
  OleSession() : started_(SUCCEEDED(::OleInitialize(nullptr))) {}
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;
  ~OleSession() {
    if (started_) ::OleUninitialize();
  }

 private:
  bool started_;
};

void InitCommonControls() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_WIN95_CLASSES;
  ::InitCommonControlsEx(&controls);
}

// Ended in reverse order: the windows before OLE, OLE before GDI+.
class Win32Parts final : public UserInterfaceParts {
 public:
  WindowSystem& Windows() override { return windows_; }
  FolderCleaner& Folders() override { return folders_; }

 private:
  GdiplusSession gdiplus_;
  OleSession ole_;
  Win32WindowSystem windows_{::GetModuleHandleW(nullptr)};
  CommandFolderCleaner folders_;
};

}  // namespace

std::unique_ptr<UserInterfaceParts> StartUserInterface(int, char**) {
  InitCommonControls();
  // The system may restart the launcher (after an update of Windows, say);
  // there is nothing to recover.
  ::RegisterApplicationRestart(nullptr, 0);
  return std::make_unique<Win32Parts>();
}

}  // namespace platform
