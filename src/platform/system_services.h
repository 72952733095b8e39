// The real operating-system services for the launcher executable. Prepares
// the platform's user interface first, so the display can be asked for its
// resolution.
#pragma once

#include <memory>

#include "platform/services.h"

namespace platform {

class SystemServices {
 public:
  SystemServices(int argc, char** argv);
  ~SystemServices();
  SystemServices(const SystemServices&) = delete;
  SystemServices& operator=(const SystemServices&) = delete;

  const platform::Services& Services() const { return services_; }
  // Ends the user interface's part once its windows have gone: the window
  // system, the folder cleaner and, on Windows, GDI+ and OLE. The
  // window-free services stay for the workers that may still run.
  void EndUserInterface();

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
  platform::Services services_;
};

}  // namespace platform
