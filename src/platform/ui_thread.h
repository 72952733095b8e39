// Running work on the user-interface thread from a worker thread.
#pragma once

#include <functional>

namespace platform {

class UiThread {
 public:
  virtual ~UiThread() = default;
  // Runs `work` on the user-interface thread and waits until it has run.
  // False, without running it, once the window has gone.
  virtual bool Call(std::function<void()> work) = 0;
  // Queues `work` without waiting; dropped once the window has gone.
  virtual void Post(std::function<void()> work) = 0;
};

}  // namespace platform
