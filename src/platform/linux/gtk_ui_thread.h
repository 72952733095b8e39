// Work from worker threads run on the GTK main loop.
#pragma once

#include <memory>

#include "platform/ui_thread.h"

namespace platform {

class GtkUiThread final : public UiThread {
 public:
  GtkUiThread();
  bool Call(std::function<void()> work) override;
  void Post(std::function<void()> work) override;
  // On the main loop's thread, when the window goes: queued work is
  // dropped, and callers still waiting return false.
  void Close();

  struct Shared;

 private:
  std::shared_ptr<Shared> shared_;
};

}  // namespace platform
