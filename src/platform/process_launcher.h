// Starts a program without waiting for it.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform {

struct ProcessCommand {
  std::wstring executable;
  // The arguments after the program's name, each received exactly as given.
  std::vector<std::wstring> arguments;
  // The same command as one Windows command line: what CreateProcessW is given,
  // and what the trace shows on every platform.
  std::wstring commandLine;
};

class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  // Starts it in the launcher's current directory with the launcher's
  // environment. False when the process could not be created.
  virtual bool Start(const ProcessCommand& command) = 0;
};

std::unique_ptr<ProcessLauncher> MakeSystemProcessLauncher();

}  // namespace platform
