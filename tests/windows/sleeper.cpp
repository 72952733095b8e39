// A command that hangs: sleeps for half a minute, then exits with 0.
#include <windows.h>

int main() {
  ::Sleep(30000);
  return 0;
}
