// The application object: checks the launcher configuration and runs the
// background window until it closes.
#pragma once

#include "platform/services.h"

class CTavrApp {
 public:
  // Runs the whole launcher; false, so the process ends when it returns.
  bool InitInstance(const platform::Services& services);
};
