// An environment whose executable path and DPI the test chooses.
#pragma once

#include <string>

#include "platform/environment.h"

class FakeEnvironment final : public platform::Environment {
 public:
  FakeEnvironment(std::wstring executablePath = L"", int dpi = 96)
      : executablePath_(std::move(executablePath)), dpi_(dpi) {}

  std::wstring ExecutablePath() const override { return executablePath_; }
  int LogicalDpiX() const override { return dpi_; }

 private:
  std::wstring executablePath_;
  int dpi_;
};
