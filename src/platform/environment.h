// Facts about the running process and its display.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class Environment {
 public:
  virtual ~Environment() = default;
  // Full path of the launcher's own executable.
  virtual std::wstring ExecutablePath() const = 0;
  // The screen's logical horizontal DPI; none when it cannot be told.
  virtual std::optional<int> LogicalDpiX() const = 0;
  // Whether `name` ("--verify") is one of the arguments the launcher was
  // started with, the program's own name not counted.
  virtual bool HasSwitch(std::wstring_view name) const = 0;
};

std::unique_ptr<Environment> MakeSystemEnvironment();

}  // namespace platform
