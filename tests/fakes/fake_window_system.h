// A window system whose window records every call, and whose Run plays a
// script of user actions given by the test.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_canvas.h"
#include "fakes/fake_message_boxes.h"
#include "fakes/fake_ui_thread.h"
#include "platform/window_system.h"

class FakeBrowser final : public platform::BrowserControl {
 public:
  void SetSilent(bool value) override { silent = value; }
  void Navigate(const std::wstring& url) override { navigated.push_back(url); }
  void SetLeft(int pixels) override { place.x = pixels; }
  void SetTop(int pixels) override { place.y = pixels; }
  void SetWidth(int pixels) override { place.width = pixels; }
  void SetHeight(int pixels) override { place.height = pixels; }
  void SetOpticalZoom(int percent) override { zoom = percent; }

  bool silent = false;
  std::vector<std::wstring> navigated;
  platform::Rect place;
  int zoom = 0;
};

class FakeLauncherWindow final : public platform::LauncherWindow {
 public:
  FakeLauncherWindow(platform::WindowEvents& events, std::vector<std::string>& log,
                     std::function<void(FakeLauncherWindow&)> whileRunning,
                     bool marshalUiCalls = false)
      : events(events),
        log(log),
        whileRunning(std::move(whileRunning)),
        uiThread(std::make_shared<FakeUiThread>(marshalUiCalls)) {}
  ~FakeLauncherWindow() override { uiThread->Close(); }

  void SetBackground(const platform::Picture* picture, int w, int h) override {
    background = picture;
    width = w;
    height = h;
    log.push_back("background");
  }
  void CenterOnWorkArea() override { log.push_back("center"); }
  void ShowPanel(bool show) override {
    panelShown = show;
    log.push_back(show ? "show panel" : "hide panel");
  }
  void InvalidatePanel() override { ++invalidations; }
  void BeginDrag(int x, int y) override { drags.push_back({x, y, 0, 0}); }
  void Minimize() override { log.push_back("minimize"); }
  void PostClose() override { log.push_back("close"); }
  void Run() override {
    log.push_back("run");
    if (whileRunning) whileRunning(*this);
  }
  platform::BrowserControl& Browser() override { return browser; }
  void SetBrowserEvents(platform::BrowserEvents* value) override { browserEvents = value; }
  bool ClearBrowserData() override {
    log.push_back("clear browser data");
    return browserDataClears;
  }
  platform::MessageBoxes& OwnedMessages() override { return messages; }
  std::shared_ptr<platform::UiThread> UiThreadHandle() override { return uiThread; }

  // Paints one frame as the platform would, returning what was drawn.
  FakeCanvas Paint() {
    FakeCanvas canvas;
    events.OnPaint(canvas);
    return canvas;
  }
  void Click(int x, int y) {
    events.OnMouseDown(x, y);
    events.OnMouseUp(x, y);
  }

  platform::WindowEvents& events;
  std::vector<std::string>& log;
  std::function<void(FakeLauncherWindow&)> whileRunning;
  const platform::Picture* background = nullptr;
  int width = 0;
  int height = 0;
  bool panelShown = false;
  int invalidations = 0;
  std::vector<platform::Rect> drags;
  FakeBrowser browser;
  platform::BrowserEvents* browserEvents = nullptr;
  bool browserDataClears = true;
  FakeMessageBoxes messages;
  std::shared_ptr<FakeUiThread> uiThread;
};

class FakeWindowSystem final : public platform::WindowSystem {
 public:
  std::unique_ptr<platform::LauncherWindow> CreateLauncherWindow(
      platform::WindowEvents& events) override {
    ++windowsCreated;
    return std::make_unique<FakeLauncherWindow>(events, log, whileRunning, marshalUiCalls);
  }
  std::unique_ptr<platform::Picture> LoadPngResource(int id) override {
    auto found = pictureSizes.find(id);
    if (found == pictureSizes.end()) return nullptr;
    return std::make_unique<FakePicture>(id, found->second.first, found->second.second);
  }
  platform::MessageBoxes& Messages() override { return messages; }

  // The sizes of the launcher's pictures; erase one to make it missing.
  std::map<int, std::pair<int, int>> pictureSizes{
      {135, {1200, 700}}, {136, {44, 42}}, {158, {592, 5}}, {163, {66, 23}}};
  std::function<void(FakeLauncherWindow&)> whileRunning;
  // Window calls from the workers wait for the test to run them
  // (FakeUiThread::RunCallsUntil), for tests where the workers run freely.
  bool marshalUiCalls = false;
  std::vector<std::string> log;
  int windowsCreated = 0;
  FakeMessageBoxes messages;
};
