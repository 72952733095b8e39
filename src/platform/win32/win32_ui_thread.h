// Work sent from workers to the user-interface thread through a message-only
// window: Call waits as SendMessage does, Post queues.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include <windows.h>

#include "platform/ui_thread.h"

namespace platform {

class Win32UiThread final : public UiThread {
 public:
  // On the user-interface thread.
  static std::shared_ptr<Win32UiThread> Create(HINSTANCE instance);
  ~Win32UiThread() override;

  bool Call(std::function<void()> work) override;
  void Post(std::function<void()> work) override;
  // On the user-interface thread: later calls do nothing, queued work is
  // dropped.
  void Close();

 private:
  explicit Win32UiThread(HWND window) : window_(window) {}
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  std::atomic<HWND> window_;
  // Held by Post around its message and by Close while it takes the
  // window, so no work is posted after Close has collected what was queued.
  std::mutex posting_;
};

}  // namespace platform
