// Facts about the running process and its display.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace platform {

class Environment {
 public:
  virtual ~Environment() = default;
  // Full path of the launcher's own executable.
  virtual std::wstring ExecutablePath() const = 0;
  // The screen's logical horizontal DPI; none when it cannot be told.
  virtual std::optional<int> LogicalDpiX() const = 0;
};

std::unique_ptr<Environment> MakeSystemEnvironment();

}  // namespace platform
