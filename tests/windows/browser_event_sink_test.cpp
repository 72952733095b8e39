// The DWebBrowserEvents2 sink: parameter order and types as the control
// sends them (last argument first), the Cancel flag both ways, and refusal
// of malformed calls.
#include <gtest/gtest.h>

#include <exdisp.h>

#include <string>
#include <vector>

#include "platform/win32/browser_event_sink.h"

namespace {

using platform::BrowserEventSink;

struct RecordingEvents : platform::BrowserEvents {
  std::vector<std::wstring> calls;
  bool cancelWith = false;
  bool cancelSeen = false;

  void BeforeNavigate(const std::wstring& url, bool& cancel) override {
    calls.push_back(L"before " + url);
    cancelSeen = cancel;
    cancel = cancelWith;
  }
  void NewWindow(const std::wstring& url, bool& cancel) override {
    calls.push_back(L"new " + url);
    cancelSeen = cancel;
    cancel = cancelWith;
  }
  void NewWindow2() override { calls.push_back(L"new window 2"); }
  void NavigateComplete(const std::wstring& url) override { calls.push_back(L"navigated " + url); }
  void DocumentComplete(const std::wstring& url) override { calls.push_back(L"document " + url); }
};

// Arguments in the control's order; DISPPARAMS gets them reversed.
class Call {
 public:
  void Add(VARIANT value) { arguments_.insert(arguments_.begin(), value); }
  HRESULT Invoke(IDispatch* sink, DISPID id) {
    DISPPARAMS params{arguments_.data(), nullptr, static_cast<UINT>(arguments_.size()), 0};
    return sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  }

 private:
  std::vector<VARIANT> arguments_;
};

VARIANT Of(VARTYPE type) {
  VARIANT value;
  ::VariantInit(&value);
  value.vt = type;
  return value;
}

class SinkTest : public ::testing::Test {
 protected:
  SinkTest() : sink_(BrowserEventSink::Create()) { sink_->SetEvents(&events_); }
  ~SinkTest() override {
    sink_->Release();
    ::SysFreeString(url_);
  }

  VARIANT UrlByReference() {
    urlValue_ = Of(VT_BSTR);
    urlValue_.bstrVal = url_;
    VARIANT reference = Of(VT_VARIANT | VT_BYREF);
    reference.pvarVal = &urlValue_;
    return reference;
  }
  VARIANT CancelFlag() {
    VARIANT flag = Of(VT_BOOL | VT_BYREF);
    flag.pboolVal = &cancel_;
    return flag;
  }
  Call BeforeNavigate2() {
    Call call;
    call.Add(Of(VT_DISPATCH));
    call.Add(UrlByReference());
    for (int i = 0; i < 4; ++i) call.Add(UrlByReference());
    call.Add(CancelFlag());
    return call;
  }

  RecordingEvents events_;
  BrowserEventSink* sink_;
  BSTR url_ = ::SysAllocString(L"http://127.0.0.1/login?tail");
  VARIANT urlValue_{};
  VARIANT_BOOL cancel_ = VARIANT_FALSE;
};

TEST_F(SinkTest, BeforeNavigate2CarriesTheAddressAndTakesTheCancelDecision) {
  Call call = BeforeNavigate2();
  events_.cancelWith = true;
  EXPECT_EQ(call.Invoke(sink_, platform::kBeforeNavigate2), S_OK);
  ASSERT_EQ(events_.calls, std::vector<std::wstring>{L"before http://127.0.0.1/login?tail"});
  EXPECT_FALSE(events_.cancelSeen);
  EXPECT_EQ(cancel_, VARIANT_TRUE);

  events_.cancelWith = false;
  EXPECT_EQ(call.Invoke(sink_, platform::kBeforeNavigate2), S_OK);
  EXPECT_TRUE(events_.cancelSeen);
  EXPECT_EQ(cancel_, VARIANT_FALSE);
}

TEST_F(SinkTest, NewWindow3TakesTheRequestedAddressNotTheReferringOne) {
  BSTR context = ::SysAllocString(L"http://127.0.0.1/page");
  Call call;
  call.Add(Of(VT_DISPATCH | VT_BYREF));
  call.Add(CancelFlag());
  call.Add(Of(VT_UI4));
  VARIANT referrer = Of(VT_BSTR);
  referrer.bstrVal = context;
  call.Add(referrer);
  VARIANT requested = Of(VT_BSTR);
  requested.bstrVal = url_;
  call.Add(requested);
  events_.cancelWith = true;
  EXPECT_EQ(call.Invoke(sink_, platform::kNewWindow3), S_OK);
  EXPECT_EQ(events_.calls, std::vector<std::wstring>{L"new http://127.0.0.1/login?tail"});
  EXPECT_EQ(cancel_, VARIANT_TRUE);
  ::SysFreeString(context);
}

TEST_F(SinkTest, CompletionsAreRoutedByTheirIds) {
  for (DISPID id : {platform::kNavigateComplete2, platform::kDocumentComplete}) {
    Call call;
    call.Add(Of(VT_DISPATCH));
    call.Add(UrlByReference());
    EXPECT_EQ(call.Invoke(sink_, id), S_OK);
  }
  EXPECT_EQ(events_.calls, (std::vector<std::wstring>{L"navigated http://127.0.0.1/login?tail",
                                                      L"document http://127.0.0.1/login?tail"}));
}

TEST_F(SinkTest, NewWindow2IsHeardButItsCancelStaysWithTheControl) {
  Call call;
  call.Add(Of(VT_DISPATCH | VT_BYREF));
  call.Add(CancelFlag());
  events_.cancelWith = true;
  EXPECT_EQ(call.Invoke(sink_, platform::kNewWindow2), S_OK);
  EXPECT_EQ(events_.calls, std::vector<std::wstring>{L"new window 2"});
  EXPECT_EQ(cancel_, VARIANT_FALSE);
}

TEST_F(SinkTest, MalformedCallsAreRefusedWithoutReachingTheLauncher) {
  Call tooShort;
  tooShort.Add(Of(VT_DISPATCH));
  for (DISPID id : {platform::kBeforeNavigate2, platform::kNewWindow3, platform::kNavigateComplete2,
                    platform::kNewWindow2}) {
    EXPECT_EQ(tooShort.Invoke(sink_, id), E_INVALIDARG) << id;
  }
  // A Cancel that is no BOOL reference cannot take a decision.
  Call call;
  call.Add(Of(VT_DISPATCH));
  for (int i = 0; i < 5; ++i) call.Add(UrlByReference());
  call.Add(Of(VT_BOOL));
  EXPECT_EQ(call.Invoke(sink_, platform::kBeforeNavigate2), E_INVALIDARG);
  EXPECT_EQ(sink_->Invoke(platform::kBeforeNavigate2, IID_NULL, 0, DISPATCH_METHOD, nullptr,
                          nullptr, nullptr, nullptr),
            E_INVALIDARG);
  EXPECT_TRUE(events_.calls.empty());
}

TEST_F(SinkTest, WithoutEventsTheCancelFlagStaysAsTheControlSetIt) {
  sink_->SetEvents(nullptr);
  Call call = BeforeNavigate2();
  EXPECT_EQ(call.Invoke(sink_, platform::kBeforeNavigate2), S_OK);
  EXPECT_EQ(cancel_, VARIANT_FALSE);
  EXPECT_EQ(BeforeNavigate2().Invoke(sink_, 271), S_OK);  // NavigateError: not routed
}

TEST_F(SinkTest, AnswersAsTheEventInterface) {
  IUnknown* face = nullptr;
  for (const IID* iid : {&IID_IUnknown, &IID_IDispatch, &DIID_DWebBrowserEvents2}) {
    ASSERT_EQ(sink_->QueryInterface(*iid, reinterpret_cast<void**>(&face)), S_OK);
    EXPECT_EQ(face, static_cast<IUnknown*>(sink_));
    face->Release();
  }
  EXPECT_EQ(sink_->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&face)), E_NOINTERFACE);
  EXPECT_EQ(face, nullptr);
}

}  // namespace
