// Starts a worker that nobody joins.
#pragma once

#include <functional>

// False when the system could not start another thread. Whatever escapes
// `work` is caught where the thread starts and `onEscape` reports it, so a
// worker's fault is a failed update, never the end of the process.
bool StartDetachedThread(std::function<void()> work, std::function<void()> onEscape);
