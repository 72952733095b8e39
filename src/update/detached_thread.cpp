#include "update/detached_thread.h"

#include <system_error>
#include <thread>

bool StartDetachedThread(std::function<void()> work) {
  try {
    std::thread(std::move(work)).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}
