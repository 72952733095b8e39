#include "platform/process_launcher.h"

#include <spawn.h>

#include "platform/file_system.h"
#include "platform/text_codec.h"

extern char** environ;

namespace platform {
namespace {

class SpawnProcessLauncher final : public ProcessLauncher {
 public:
  // The argument vector goes to the program as it is: no shell sees it. Text
  // is passed as UTF-8, GLib's convention, like the paths.
  bool Start(const ProcessCommand& command) override {
    std::string executable = NativePath(command.executable);
    std::vector<std::string> arguments;
    arguments.reserve(command.arguments.size());
    for (const std::wstring& argument : command.arguments) {
      arguments.push_back(EncodeUtf8(argument));
    }
    std::vector<char*> argv;
    argv.push_back(executable.data());
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    return ::posix_spawn(&pid, executable.c_str(), nullptr, nullptr, argv.data(), environ) == 0;
  }
};

}  // namespace

std::unique_ptr<ProcessLauncher> MakeSystemProcessLauncher() {
  return std::make_unique<SpawnProcessLauncher>();
}

}  // namespace platform
