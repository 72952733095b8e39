// A browser control that records every call as a line of text.
#pragma once

#include <string>
#include <vector>

#include "platform/browser_control.h"

class FakeBrowserControl final : public platform::BrowserControl {
 public:
  void SetSilent(bool silent) override { Record(L"Silent " + std::to_wstring(silent)); }
  void Navigate(const std::wstring& url) override { Record(L"Navigate " + url); }
  void SetLeft(int pixels) override { Record(L"Left " + std::to_wstring(pixels)); }
  void SetTop(int pixels) override { Record(L"Top " + std::to_wstring(pixels)); }
  void SetWidth(int pixels) override { Record(L"Width " + std::to_wstring(pixels)); }
  void SetHeight(int pixels) override { Record(L"Height " + std::to_wstring(pixels)); }
  void SetOpticalZoom(int percent) override { Record(L"Zoom " + std::to_wstring(percent)); }

  std::vector<std::wstring> calls;

 private:
  void Record(std::wstring call) { calls.push_back(std::move(call)); }
};
