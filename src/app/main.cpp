// The launcher executable.
#include <cstdio>
#include <cstdlib>

#include "app/tavr_app.h"
#include "platform/system_services.h"

int main(int argc, char** argv) {
  platform::SystemServices system(argc, argv);
  CTavrApp app;
  app.InitInstance(system.Services());
  system.EndUserInterface();
  // Update workers may still be downloading or unpacking with these
  // services; the process ends here and takes them with it, as nothing
  // waits for them.
  std::fflush(stdout);
  std::_Exit(0);
}
