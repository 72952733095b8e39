// The status line and the user-interface thread calls. Tests that need a
// window are skipped where none can be created (no display); the end-to-end
// run runs them under Xvfb.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <thread>

#include "fakes/fake_browser_control.h"
#include "platform/win32/deferred_browser.h"
#include "platform/win32/panel_commands.h"
#include "platform/win32/status_line.h"
#include "platform/win32/win32_ui_thread.h"

namespace {

TEST(StatusLine, ColoursItsTextWithNoBackgroundOfItsOwn) {
  platform::StatusLine line;
  line.Show(L"x", {1, 2, 3, 4}, {255, 128, 255});
  HDC dc = ::CreateCompatibleDC(nullptr);
  ::SetBkMode(dc, OPAQUE);
  EXPECT_EQ(line.PrepareColours(dc), ::GetStockObject(NULL_BRUSH));
  EXPECT_EQ(::GetTextColor(dc), RGB(255, 128, 255));
  EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
  ::DeleteDC(dc);
}

TEST(StatusLine, PlacesAndNamesItsControl) {
  HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                                  nullptr, nullptr);
  if (parent == nullptr) GTEST_SKIP() << "no display: no window can be created";
  HWND control = ::CreateWindowExW(0, L"STATIC", L".............", WS_CHILD, 0, 0, 10, 10, parent,
                                   nullptr, nullptr, nullptr);
  platform::StatusLine line;
  line.Attach(control);
  EXPECT_TRUE(line.Is(control));
  EXPECT_FALSE(line.Is(parent));
  line.Show(L"\u66F4\u65B0", {20, 30, 200, 23}, {255, 128, 255});
  wchar_t text[16] = {};
  ::GetWindowTextW(control, text, 16);
  EXPECT_STREQ(text, L"\u66F4\u65B0");
  RECT place{};
  ::GetWindowRect(control, &place);
  ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&place), 2);
  EXPECT_EQ(place.left, 20);
  EXPECT_EQ(place.top, 30);
  EXPECT_EQ(place.right - place.left, 200);
  EXPECT_EQ(place.bottom - place.top, 23);
  ::DestroyWindow(parent);
}

class UiThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui_ = platform::Win32UiThread::Create(::GetModuleHandleW(nullptr));
    if (!ui_->Call([] {})) GTEST_SKIP() << "no display: no window can be created";
  }
  // Runs this thread's messages until `done`.
  static void PumpUntil(const std::atomic<bool>& done) {
    while (!done) {
      MSG message;
      while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
      ::Sleep(1);
    }
  }
  std::shared_ptr<platform::Win32UiThread> ui_;
};

TEST_F(UiThreadTest, CallRunsOnTheUiThreadAndWaits) {
  DWORD uiThread = ::GetCurrentThreadId();
  DWORD ranOn = 0;
  bool answered = false;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    answered = ui_->Call([&] { ranOn = ::GetCurrentThreadId(); });
    done = true;
  });
  PumpUntil(done);
  worker.join();
  EXPECT_TRUE(answered);
  EXPECT_EQ(ranOn, uiThread);
}

TEST_F(UiThreadTest, PostQueuesAndCloseDropsWhatIsLeft) {
  int ran = 0;
  ui_->Post([&] { ++ran; });
  EXPECT_EQ(ran, 0);
  std::atomic<bool> done{false};
  ui_->Post([&] { done = true; });
  PumpUntil(done);
  EXPECT_EQ(ran, 1);

  // What the dropped work holds is let go on closing: a view held there,
  // holding this thread in turn, would otherwise never be freed.
  auto held = std::make_shared<int>();
  std::weak_ptr<int> heldByWork = held;
  ui_->Post([&, held] { ++ran; });
  held.reset();
  ui_->Close();
  EXPECT_TRUE(heldByWork.expired());
  ui_->Post([&] { ++ran; });
  EXPECT_FALSE(ui_->Call([&] { ++ran; }));
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
  EXPECT_EQ(ran, 1);
}

TEST(PanelCommands, TheFourClicksAreCommandsAndNothingElseIs) {
  using platform::PanelCommand;
  using platform::PanelCommandOf;
  EXPECT_EQ(PanelCommandOf(MAKEWPARAM(IDCANCEL, 0)), PanelCommand::Cancel);
  EXPECT_EQ(PanelCommandOf(MAKEWPARAM(1003, 0)), PanelCommand::Close);
  EXPECT_EQ(PanelCommandOf(MAKEWPARAM(1004, 0)), PanelCommand::Minimize);
  EXPECT_EQ(PanelCommandOf(MAKEWPARAM(1006, 0)), PanelCommand::ClearCache);
  EXPECT_EQ(PanelCommandOf(MAKEWPARAM(IDOK, 0)), std::nullopt);
  // A static control's double click is no click.
  EXPECT_EQ(PanelCommandOf(MAKEWPARAM(1003, STN_DBLCLK)), std::nullopt);
}

// The control is made after the first frame: what the panel asked before
// reaches it then, and later calls go straight to it.
TEST(DeferredBrowser, ReplaysWhatWasAskedBeforeTheControlExisted) {
  platform::DeferredBrowser deferred;
  deferred.SetSilent(true);
  deferred.Navigate(L"http://127.0.0.1/first");
  deferred.Navigate(L"http://127.0.0.1/page");
  deferred.SetLeft(5);
  deferred.SetWidth(300);
  FakeBrowserControl control;
  deferred.Attach(&control);
  deferred.SetTop(7);
  EXPECT_EQ(control.calls,
            (std::vector<std::wstring>{L"Silent 1", L"Left 5", L"Width 300",
                                       L"Navigate http://127.0.0.1/page", L"Top 7"}));
}

}  // namespace
