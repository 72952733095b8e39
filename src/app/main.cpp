// The launcher executable.
#include "app/tavr_app.h"
#include "platform/system_services.h"

int main(int argc, char** argv) {
  platform::SystemServices system(argc, argv);
  CTavrApp app;
  app.InitInstance(system.Services());
  return 0;
}
