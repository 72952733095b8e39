#include "platform/win32/win32_ui_thread.h"

namespace platform {

namespace {

constexpr UINT kCallMessage = WM_APP + 1;
constexpr UINT kPostMessage = WM_APP + 2;
constexpr const wchar_t* kClassName = L"qelt_ui_thread";

}  // namespace

std::shared_ptr<Win32UiThread> Win32UiThread::Create(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kClassName;
  ::RegisterClassExW(&windowClass);
  HWND window = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  instance, nullptr);
  return std::shared_ptr<Win32UiThread>(new Win32UiThread(window));
}

Win32UiThread::~Win32UiThread() {
  Close();
}

LRESULT CALLBACK Win32UiThread::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == kCallMessage) {
    (*reinterpret_cast<std::function<void()>*>(lParam))();
    return 1;
  }
  if (message == kPostMessage) {
    std::unique_ptr<std::function<void()>> work(reinterpret_cast<std::function<void()>*>(lParam));
    (*work)();
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

bool Win32UiThread::Call(std::function<void()> work) {
  HWND window = window_.load();
  if (window == nullptr) return false;
  // A window destroyed in the meantime answers 0: the work has not run.
  return ::SendMessageW(window, kCallMessage, 0, reinterpret_cast<LPARAM>(&work)) == 1;
}

void Win32UiThread::Post(std::function<void()> work) {
  // Work not queued is freed after the lock is let go: what it holds may
  // close this very thread.
  auto queued = std::make_unique<std::function<void()>>(std::move(work));
  std::lock_guard<std::mutex> lock(posting_);
  HWND window = window_.load();
  if (window != nullptr &&
      ::PostMessageW(window, kPostMessage, 0, reinterpret_cast<LPARAM>(queued.get()))) {
    queued.release();
  }
}

void Win32UiThread::Close() {
  HWND window = nullptr;
  {
    // A message posted after the sweep below would never be delivered to
    // the destroyed window, and its work, holding what it captured, never
    // freed.
    std::lock_guard<std::mutex> lock(posting_);
    window = window_.exchange(nullptr);
  }
  if (window == nullptr) return;
  MSG message;
  while (::PeekMessageW(&message, window, kPostMessage, kPostMessage, PM_REMOVE)) {
    delete reinterpret_cast<std::function<void()>*>(message.lParam);
  }
  ::DestroyWindow(window);
}

}  // namespace platform
