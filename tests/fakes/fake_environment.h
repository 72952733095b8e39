// An environment whose executable path and DPI the test chooses.
#pragma once

#include <optional>
#include <string>

#include "platform/environment.h"

class FakeEnvironment final : public platform::Environment {
 public:
  FakeEnvironment(std::wstring executablePath = L"", std::optional<int> dpi = 96)
      : executablePath_(std::move(executablePath)), dpi_(dpi) {}

  std::wstring ExecutablePath() const override { return executablePath_; }
  std::optional<int> LogicalDpiX() const override { return dpi_; }

 private:
  std::wstring executablePath_;
  std::optional<int> dpi_;
};
