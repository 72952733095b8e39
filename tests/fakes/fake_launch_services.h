// Recording stand-ins for the services and window effects of the browser's
// event handlers: process launcher, shell, trace and the panel's windows.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "browser/navigation_view.h"
#include "platform/process_launcher.h"
#include "platform/shell.h"
#include "platform/trace.h"

class FakeProcessLauncher final : public platform::ProcessLauncher {
 public:
  bool Start(const platform::ProcessCommand& command) override {
    started.push_back(command);
    return succeeds;
  }

  bool succeeds = true;
  std::vector<platform::ProcessCommand> started;
};

class FakeShell final : public platform::Shell {
 public:
  void OpenInDefaultBrowser(const std::wstring& url) override { opened.push_back(url); }

  std::vector<std::wstring> opened;
};

// The update workers write from their own threads.
class FakeTrace final : public platform::Trace {
 public:
  void Write(std::wstring_view text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    written.append(text);
  }
  std::wstring Text() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return written;
  }

  std::wstring written;

 private:
  mutable std::mutex mutex_;
};

class FakeNavigationView final : public NavigationView {
 public:
  void EndPanel() override { ++panelEnds; }
  void CloseBackground() override { ++closeRequests; }
  void SetStatusText(const std::wstring& text) override { statusText = text; }

  int panelEnds = 0;
  int closeRequests = 0;
  std::wstring statusText;
};
