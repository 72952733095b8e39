#include "update/detached_thread.h"

#include <system_error>
#include <thread>

namespace {

void RunCaught(const std::function<void()>& work, const std::function<void()>& onEscape) {
  try {
    work();
    return;
  } catch (...) {
  }
  // A report that fails in turn has nowhere left to go.
  try {
    if (onEscape) onEscape();
  } catch (...) {
  }
}

}  // namespace

bool StartDetachedThread(std::function<void()> work, std::function<void()> onEscape) {
  try {
    std::thread(RunCaught, std::move(work), std::move(onEscape)).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}
