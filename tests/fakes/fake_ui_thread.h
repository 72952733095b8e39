// A user-interface thread the test drives: posted work waits until the test
// runs it; calls run at once (the test plays the user-interface thread).
#pragma once

#include <atomic>
#include <functional>
#include <vector>

#include "platform/ui_thread.h"

class FakeUiThread final : public platform::UiThread {
 public:
  bool Call(std::function<void()> work) override {
    if (closed) return false;
    work();
    ++calls;
    return true;
  }
  void Post(std::function<void()> work) override {
    if (!closed) posted.push_back(std::move(work));
  }
  void RunPosted() {
    std::vector<std::function<void()>> now;
    now.swap(posted);
    for (auto& work : now) work();
  }

  // Set when the window goes; workers may read it.
  std::atomic<bool> closed{false};
  int calls = 0;
  std::vector<std::function<void()>> posted;
};
