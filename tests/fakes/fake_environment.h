// An environment whose executable path and DPI the test chooses.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/environment.h"

class FakeEnvironment final : public platform::Environment {
 public:
  FakeEnvironment(std::wstring executablePath = L"", std::optional<int> dpi = 96)
      : executablePath_(std::move(executablePath)), dpi_(dpi) {}

  std::wstring ExecutablePath() const override { return executablePath_; }
  std::optional<int> LogicalDpiX() const override { return dpi_; }
  bool HasSwitch(std::wstring_view name) const override {
    for (const std::wstring& given : switches) {
      if (given == name) return true;
    }
    return false;
  }

  std::vector<std::wstring> switches;

 private:
  std::wstring executablePath_;
  std::optional<int> dpi_;
};
