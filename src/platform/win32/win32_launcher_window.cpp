#include "platform/win32/win32_launcher_window.h"

#include <gdiplus.h>
#include <windowsx.h>

#include <utility>

#include "platform/win32/gdi_canvas.h"
#include "platform/win32/gdi_handles.h"
#include "platform/win32/gdiplus_picture.h"
#include "platform/win32/panel_commands.h"
#include "platform/win32/test_navigation.h"
#include "platform/win32/web_browser_host.h"

namespace platform {

namespace {

namespace flat = Gdiplus::DllExports;

constexpr UINT kStartBrowserMessage = WM_APP + 3;

// The panel's pictures are painted by the panel itself, which also tells
// clicks on them apart; these statics of its template only keep their IDs.
constexpr int kUnpaintedControls[] = {kCloseCommandId, kClearCacheCommandId, 1012,
                                      kBrowserControlId};

INT_PTR Answer(HWND dialog, LRESULT result) {
  ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
  return TRUE;
}

Win32LauncherWindow* WindowOf(HWND dialog, UINT message, LPARAM lParam) {
  if (message == WM_INITDIALOG) ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
  return reinterpret_cast<Win32LauncherWindow*>(::GetWindowLongPtrW(dialog, DWLP_USER));
}

// `picture` stretched over a width x height premultiplied 32-bit section.
void DrawStretched(const GdiplusPicture& picture, void* bits, int width, int height) {
  Gdiplus::GpBitmap* target = nullptr;
  if (flat::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppPARGB,
                                      static_cast<BYTE*>(bits), &target) != Gdiplus::Ok) {
    return;
  }
  Gdiplus::GpGraphics* graphics = nullptr;
  if (flat::GdipGetImageGraphicsContext(target, &graphics) == Gdiplus::Ok) {
    flat::GdipDrawImageRectI(graphics, picture.Bitmap(), 0, 0, width, height);
    flat::GdipDeleteGraphics(graphics);
  }
  flat::GdipDisposeImage(target);
}

Key KeyOf(WPARAM virtualKey) {
  if (virtualKey == VK_ESCAPE) return Key::Escape;
  if (virtualKey == VK_RETURN) return Key::Enter;
  return Key::Other;
}

}  // namespace

Win32LauncherWindow::Win32LauncherWindow(HINSTANCE instance, WindowEvents& events)
    : events_(events),
      testNavigateMessage_(TestNavigateMessage()),
      uiThread_(Win32UiThread::Create(instance)) {
  RegisterWebBrowserHostClass(instance);
  background_ = ::CreateDialogParamW(instance, MAKEINTRESOURCEW(kBackgroundDialogId), nullptr,
                                     BackgroundProc, reinterpret_cast<LPARAM>(this));
  // Owned by the background: always above it, minimised and destroyed with it.
  panel_ = ::CreateDialogParamW(instance, MAKEINTRESOURCEW(kPanelDialogId), background_, PanelProc,
                                reinterpret_cast<LPARAM>(this));
  ownedMessages_.SetOwner(panel_);
}

Win32LauncherWindow::~Win32LauncherWindow() {
  uiThread_->Close();
  if (panel_ != nullptr) ::DestroyWindow(panel_);
  if (background_ != nullptr) ::DestroyWindow(background_);
}

INT_PTR CALLBACK Win32LauncherWindow::BackgroundProc(HWND dialog, UINT message, WPARAM wParam,
                                                     LPARAM lParam) {
  Win32LauncherWindow* window = WindowOf(dialog, message, lParam);
  return window != nullptr ? window->OnBackgroundMessage(dialog, message, wParam, lParam) : FALSE;
}

INT_PTR CALLBACK Win32LauncherWindow::PanelProc(HWND dialog, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
  Win32LauncherWindow* window = WindowOf(dialog, message, lParam);
  return window != nullptr ? window->OnPanelMessage(dialog, message, wParam, lParam) : FALSE;
}

INT_PTR Win32LauncherWindow::OnBackgroundMessage(HWND dialog, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      ::SetWindowLongPtrW(dialog, GWL_EXSTYLE,
                          ::GetWindowLongPtrW(dialog, GWL_EXSTYLE) | WS_EX_LAYERED);
      return TRUE;
    case WM_NCHITTEST: {
      // The picture is dragged by any visible pixel.
      LRESULT hit = ::DefWindowProcW(dialog, message, wParam, lParam);
      return Answer(dialog, hit == HTCLIENT ? HTCAPTION : hit);
    }
    case WM_PAINT: {
      // The content comes from UpdateLayeredWindow alone.
      PAINTSTRUCT paint;
      ::BeginPaint(dialog, &paint);
      ::EndPaint(dialog, &paint);
      return TRUE;
    }
    case WM_WINDOWPOSCHANGED:
      FollowBackground();
      return FALSE;
    case WM_SIZE:
      // The panel is minimised and restored with the background; Windows
      // does this for owned pop-ups itself, Wine without a window manager
      // does not.
      if (wParam == SIZE_MINIMIZED) ::ShowOwnedPopups(dialog, FALSE);
      if (wParam == SIZE_RESTORED) ::ShowOwnedPopups(dialog, TRUE);
      return FALSE;
    case WM_COMMAND:
      // Enter does nothing; WM_CLOSE arrives here as IDCANCEL and ends Run.
      if (LOWORD(wParam) == IDCANCEL) closed_ = true;
      return TRUE;
    default:
      return FALSE;
  }
}

void Win32LauncherWindow::FollowBackground() {
  if (panel_ == nullptr || ::IsIconic(background_)) return;
  RECT place{};
  ::GetWindowRect(background_, &place);
  int width = place.right - place.left;
  int height = place.bottom - place.top;
  if (width < 0 || height <= 0) return;
  ::SetWindowPos(panel_, nullptr, place.left, place.top, width, height, SWP_NOZORDER);
}

INT_PTR Win32LauncherWindow::OnPanelMessage(HWND dialog, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitPanel(dialog);
      return TRUE;
    case WM_ERASEBKGND:
      // Painting covers everything; nothing is filled twice.
      return Answer(dialog, TRUE);
    case WM_PAINT:
      PaintPanel();
      return TRUE;
    case kStartBrowserMessage:
      StartBrowser();
      return TRUE;
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(::GetStockObject(BLACK_BRUSH));
    case WM_CTLCOLORSTATIC:
      if (!statusLine_.Is(reinterpret_cast<HWND>(lParam))) return FALSE;
      return reinterpret_cast<INT_PTR>(statusLine_.PrepareColours(reinterpret_cast<HDC>(wParam)));
    case WM_LBUTTONDOWN:
      ::SetCapture(dialog);
      events_.OnMouseDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return TRUE;
    case WM_LBUTTONUP:
      if (::GetCapture() == dialog) ::ReleaseCapture();
      events_.OnMouseUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return TRUE;
    case WM_QUERYDRAGICON:
      return Answer(dialog, 0);
    case WM_COMMAND:
      if (auto command = PanelCommandOf(wParam)) events_.OnCommand(*command);
      return TRUE;
    default:
      if (testNavigateMessage_ == 0 || message != testNavigateMessage_) return FALSE;
      if (auto address = TestNavigationAddress(wParam)) Browser().Navigate(*address);
      return TRUE;
  }
}

void Win32LauncherWindow::InitPanel(HWND dialog) {
  // Black is the colour key: see-through, and clicks go to the background.
  ::SetWindowLongPtrW(dialog, GWL_EXSTYLE,
                      ::GetWindowLongPtrW(dialog, GWL_EXSTYLE) | WS_EX_LAYERED);
  ::SetLayeredWindowAttributes(dialog, RGB(0, 0, 0), 255, LWA_COLORKEY);
  for (int id : kUnpaintedControls) ::ShowWindow(::GetDlgItem(dialog, id), SW_HIDE);
  statusLine_.Attach(::GetDlgItem(dialog, kStatusLineId));
}

void Win32LauncherWindow::PaintPanel() {
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(panel_, &paint);
  // Each frame starts see-through, so pictures are never blended twice.
  ::FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  GdiCanvas canvas(dc, statusLine_);
  events_.OnPaint(canvas);
  ::EndPaint(panel_, &paint);
  // Starting the browser engine takes longer than everything else before
  // the first frame: it waits until the frame is out.
  if (!std::exchange(browserStartPosted_, true)) {
    ::PostMessageW(panel_, kStartBrowserMessage, 0, 0);
  }
}

void Win32LauncherWindow::StartBrowser() {
  HWND host = ::GetDlgItem(panel_, kBrowserControlId);
  StartHostedBrowser(host);
  browser_.Attach(HostedBrowser(host));
  SetHostedBrowserEvents(host, browserEvents_);
}

void Win32LauncherWindow::SetBackground(const Picture* picture, int width, int height) {
  void* bits = nullptr;
  UniqueGdiObject section = CreateArgbSection(width, height, &bits);
  if (section.Get() == nullptr) return;
  if (picture != nullptr) {
    DrawStretched(static_cast<const GdiplusPicture&>(*picture), bits, width, height);
  }
  WindowDc windowDc(background_);
  MemoryDc source(windowDc.Get(), section.Get());
  POINT origin{0, 0};
  SIZE size{width, height};
  POINT sourceOrigin{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ::UpdateLayeredWindow(background_, windowDc.Get(), &origin, &size, source.Get(), &sourceOrigin, 0,
                        &blend, ULW_ALPHA);
}

void Win32LauncherWindow::CenterOnWorkArea() {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(background_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  RECT place{};
  ::GetWindowRect(background_, &place);
  const RECT& work = monitor.rcWork;
  Rect centred = CenterIn({work.left, work.top, work.right - work.left, work.bottom - work.top},
                          place.right - place.left, place.bottom - place.top);
  ::SetWindowPos(background_, nullptr, centred.x, centred.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32LauncherWindow::ShowPanel(bool show) {
  ::ShowWindow(panel_, show ? SW_SHOWNORMAL : SW_HIDE);
}

void Win32LauncherWindow::InvalidatePanel() {
  ::InvalidateRect(panel_, nullptr, TRUE);
}

void Win32LauncherWindow::BeginDrag(int, int) {
  // The system's move loop, as a press on the background's caption.
  ::ReleaseCapture();
  DWORD cursor = ::GetMessagePos();
  ::SendMessageW(background_, WM_NCLBUTTONDOWN, HTCAPTION, static_cast<LPARAM>(cursor));
}

void Win32LauncherWindow::Minimize() {
  ::ShowWindow(background_, SW_MINIMIZE);
}

void Win32LauncherWindow::PostClose() {
  ::PostMessageW(background_, WM_CLOSE, 0, 0);
}

void Win32LauncherWindow::Run() {
  ::ShowWindow(background_, SW_SHOWNORMAL);
  MSG message;
  while (!closed_ && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (PreTranslateMessage(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

bool Win32LauncherWindow::PreTranslateMessage(MSG& message) {
  if (message.message == WM_KEYDOWN && events_.OnKeyDown(KeyOf(message.wParam))) return true;
  bool inPanel = message.hwnd != nullptr && ::IsChild(panel_, message.hwnd);
  if (inPanel && message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST &&
      TranslateBrowserAccelerator(::GetDlgItem(panel_, kBrowserControlId), &message)) {
    return true;
  }
  HWND dialog = inPanel || message.hwnd == panel_ ? panel_ : background_;
  return ::IsDialogMessageW(dialog, &message) != FALSE;
}

BrowserControl& Win32LauncherWindow::Browser() {
  return browser_;
}

void Win32LauncherWindow::SetBrowserEvents(BrowserEvents* events) {
  browserEvents_ = events;
  SetHostedBrowserEvents(::GetDlgItem(panel_, kBrowserControlId), events);
}

bool Win32LauncherWindow::ClearBrowserData() {
  // The WebBrowser control keeps its cache with the system's; the launcher
  // clears only the plug-in caches on Windows.
  return true;
}

}  // namespace platform
