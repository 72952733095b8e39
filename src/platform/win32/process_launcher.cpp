#include "platform/process_launcher.h"

#include <windows.h>

#include "platform/win32/unique_handle.h"

namespace platform {
namespace {

class CreateProcessLauncher final : public ProcessLauncher {
 public:
  // The executable is the quoted first token of the command line.
  bool Start(const ProcessCommand& command) override {
    std::wstring commandLine = command.commandLine;  // CreateProcessW may write to it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
      return false;
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    return true;
  }
};

}  // namespace

std::unique_ptr<ProcessLauncher> MakeSystemProcessLauncher() {
  return std::make_unique<CreateProcessLauncher>();
}

}  // namespace platform
