// The system's WebBrowser control (Wine's here) in our OLE site, driven
// through its dispatch calls, its events arriving through our sink. It needs
// windows, so without a display these tests are skipped; the end-to-end run
// runs them under Xvfb.
#include <gtest/gtest.h>

#include <exdisp.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/event_connection.h"
#include "platform/win32/browser_event_sink.h"
#include "platform/win32/ole_site.h"
#include "platform/win32/web_browser_dispatch.h"

namespace {

struct Navigations : platform::BrowserEvents {
  std::vector<std::wstring> before;
  bool cancel = false;

  void BeforeNavigate(const std::wstring& url, bool& cancelNavigation) override {
    before.push_back(url);
    cancelNavigation = cancel;
  }
  void NewWindow(const std::wstring&, bool&) override {}
  void NavigateComplete(const std::wstring&) override {}
  void DocumentComplete(const std::wstring&) override {}
};

// The control starts navigations from its message queue.
void PumpMessages() {
  DWORD end = ::GetTickCount() + 1000;
  while (::GetTickCount() < end) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    ::Sleep(10);
  }
}

RECT PlaceOf(HWND child) {
  RECT place{};
  ::GetWindowRect(child, &place);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(child), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

class WebBrowserControl : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
    container_ = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                                   nullptr, nullptr);
    if (container_ == nullptr) GTEST_SKIP() << "no display: no window can be created";
    placeholder_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 10, 20, 30, 40, container_,
                                     nullptr, nullptr, nullptr);
    platform::ComPtr<IOleObject> object;
    ASSERT_EQ(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                 object.PutVoid()),
              S_OK);
    site_.Reset(platform::OleSite::Create(container_, placeholder_));
    EXPECT_EQ(site_->Activate(object.Get(), RECT{10, 20, 40, 60}), S_OK);
    sink_.Reset(platform::BrowserEventSink::Create());
    sink_->SetEvents(&events_);
    EXPECT_TRUE(connection_.Connect(object.Get(), DIID_DWebBrowserEvents2, sink_.Get()));
    platform::ComPtr<IDispatch> dispatch;
    ASSERT_EQ(object->QueryInterface(IID_IDispatch, dispatch.PutVoid()), S_OK);
    browser_.Bind(dispatch.Get());
  }
  void TearDown() override {
    browser_.Bind(nullptr);
    connection_.Disconnect();
    sink_.Reset();
    if (site_) site_->Close();
    site_.Reset();
    if (container_ != nullptr) ::DestroyWindow(container_);
    ::OleUninitialize();
  }

  Navigations events_;
  HWND container_ = nullptr;
  HWND placeholder_ = nullptr;
  platform::ComPtr<platform::OleSite> site_;
  platform::ComPtr<platform::BrowserEventSink> sink_;
  platform::EventConnection connection_;
  platform::WebBrowserDispatch browser_;
};

TEST_F(WebBrowserControl, NavigateReachesBeforeNavigate2WithTheAddress) {
  browser_.SetSilent(true);
  EXPECT_EQ(browser_.LastResult(), S_OK);
  events_.cancel = true;
  browser_.Navigate(L"http://127.0.0.1:9/login?server=1&name=\u4E2D");
  EXPECT_EQ(browser_.LastResult(), S_OK);
  PumpMessages();
  ASSERT_EQ(events_.before.size(), 1u);
  EXPECT_EQ(events_.before[0], L"http://127.0.0.1:9/login?server=1&name=\u4E2D");
}

TEST_F(WebBrowserControl, PlacementCallsMoveTheControlThroughTheSite) {
  browser_.SetLeft(421);
  browser_.SetTop(164);
  browser_.SetWidth(565);
  browser_.SetHeight(403);
  EXPECT_EQ(browser_.LastResult(), S_OK);
  RECT place = PlaceOf(placeholder_);
  EXPECT_EQ(place.left, 421);
  EXPECT_EQ(place.top, 164);
  EXPECT_EQ(place.right - place.left, 565);
  EXPECT_EQ(place.bottom - place.top, 403);
}

TEST_F(WebBrowserControl, DisconnectedSinkHearsNothing) {
  connection_.Disconnect();
  browser_.Navigate(L"http://127.0.0.1:9/start.html");
  EXPECT_EQ(browser_.LastResult(), S_OK);
  PumpMessages();
  EXPECT_TRUE(events_.before.empty());
}

TEST(WebBrowserDispatch, UnboundWrapperCallsNothing) {
  platform::WebBrowserDispatch unbound;
  unbound.Navigate(L"http://127.0.0.1:9/login?x");
  unbound.SetOpticalZoom(156);
  EXPECT_EQ(unbound.LastResult(), S_OK);
}

}  // namespace
