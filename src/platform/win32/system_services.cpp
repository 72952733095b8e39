#include "platform/system_services.h"

#include <windows.h>

#include <commctrl.h>
#include <gdiplus.h>
#include <ole2.h>

#include "platform/archive_files.h"
#include "platform/downloader.h"
#include "platform/environment.h"
#include "platform/process_launcher.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/trace.h"
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

}  // namespace

struct SystemServices::Parts {
  GdiplusSession gdiplus;
  OleSession ole;
  std::unique_ptr<Environment> environment;
  std::unique_ptr<ArchiveFiles> archiveFiles;
  std::unique_ptr<Registry> registry = MakeSystemRegistry();
  std::unique_ptr<ProcessLauncher> processLauncher = MakeSystemProcessLauncher();
  std::unique_ptr<Shell> shell = MakeSystemShell();
  std::unique_ptr<Trace> trace = MakeStdoutTrace();
  Win32WindowSystem windows{::GetModuleHandleW(nullptr)};
  CommandFolderCleaner folders;
};

SystemServices::SystemServices(int, char**) {
  InitCommonControls();
  parts_ = std::make_unique<Parts>();
  // The system may restart the launcher (after an update of Windows, say);
  // there is nothing to recover.
  ::RegisterApplicationRestart(nullptr, 0);
  parts_->environment = MakeSystemEnvironment();
  services_.environment = parts_->environment.get();
  parts_->archiveFiles = MakeSystemArchiveFiles();
  services_.archiveFiles = parts_->archiveFiles.get();
  services_.downloader = MakeSystemDownloader();
  services_.registry = parts_->registry.get();
  services_.processLauncher = parts_->processLauncher.get();
  services_.shell = parts_->shell.get();
  services_.trace = parts_->trace.get();
  services_.windows = &parts_->windows;
  services_.folders = &parts_->folders;
}

SystemServices::~SystemServices() = default;

}  // namespace platform
