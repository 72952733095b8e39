// Starts a worker that nobody joins.
#pragma once

#include <functional>

// False when the system could not start another thread.
bool StartDetachedThread(std::function<void()> work);
