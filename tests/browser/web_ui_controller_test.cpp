#include "browser/web_ui_controller.h"

#include <gtest/gtest.h>

#include "fakes/fake_com_browser.h"

namespace {

constexpr IID kOtherIid = {
    0x12345678, 0x1234, 0x1234, {0x12, 0x34, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}};

// A controller held by one reference, released at the end of the test.
class Controller : public ::testing::Test {
 protected:
  void SetUp() override { controller_->AddRef(); }
  void TearDown() override {
    if (controller_ != nullptr) controller_->Release();
  }

  IDispatch* EventFace() { return static_cast<DWebBrowserEvents2*>(controller_); }
  IDocHostUIHandler* HandlerFace() { return static_cast<IDocHostUIHandler*>(controller_); }

  HRESULT InvokeEvent(DISPID dispid, DISPPARAMS* params) {
    return EventFace()->Invoke(dispid, IID_IUnknown, 0, 0, params, nullptr, nullptr, nullptr);
  }

  CWebUIController* controller_ = new CWebUIController();
};

TEST_F(Controller, QueryInterfaceHandsOutTheDocumentedFaces) {
  void* unknown = nullptr;
  void* handler = nullptr;
  void* dispatch = nullptr;
  void* events = nullptr;
  ASSERT_EQ(EventFace()->QueryInterface(IID_IUnknown, &unknown), S_OK);
  ASSERT_EQ(EventFace()->QueryInterface(IID_IDocHostUIHandler, &handler), S_OK);
  ASSERT_EQ(HandlerFace()->QueryInterface(IID_IDispatch, &dispatch), S_OK);
  ASSERT_EQ(HandlerFace()->QueryInterface(DIID_DWebBrowserEvents2, &events), S_OK);
  EXPECT_EQ(unknown, HandlerFace());
  EXPECT_EQ(handler, HandlerFace());
  EXPECT_EQ(dispatch, EventFace());
  EXPECT_EQ(events, EventFace());
  EXPECT_NE(static_cast<void*>(EventFace()), static_cast<void*>(HandlerFace()));

  void* other = &unknown;
  EXPECT_EQ(HandlerFace()->QueryInterface(kOtherIid, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  // One reference from the fixture, four handed out above.
  EXPECT_EQ(controller_->Release(), 4u);
  EXPECT_EQ(controller_->Release(), 3u);
  EXPECT_EQ(controller_->Release(), 2u);
  EXPECT_EQ(controller_->Release(), 1u);
}

TEST_F(Controller, BothFacesShareOneCount) {
  EXPECT_EQ(EventFace()->AddRef(), 2u);
  EXPECT_EQ(HandlerFace()->AddRef(), 3u);
  EXPECT_EQ(HandlerFace()->Release(), 2u);
  EXPECT_EQ(EventFace()->Release(), 1u);
}

TEST(CWebUIController, LastReleaseDestroysIt) {
  // Under AddressSanitizer a missing delete shows as a leak, a double one as
  // a fault.
  auto* controller = new CWebUIController();
  EXPECT_EQ(controller->AddRef(), 1u);
  EXPECT_EQ(controller->Release(), 0u);
}

TEST_F(Controller, TypeInformationIsNotImplemented) {
  UINT count = 7;
  EXPECT_EQ(EventFace()->GetTypeInfoCount(&count), E_NOTIMPL);
  EXPECT_EQ(count, 7u);
  EXPECT_EQ(EventFace()->GetTypeInfo(0, 0, nullptr), E_NOTIMPL);
  EXPECT_EQ(EventFace()->GetIDsOfNames(IID_IUnknown, nullptr, 0, 0, nullptr), E_NOTIMPL);
}

TEST_F(Controller, HandlerRequestsOtherThanHostInfoAreNotImplemented) {
  IDocHostUIHandler* handler = HandlerFace();
  IDispatch* external = EventFace();
  LPWSTR translated = nullptr;
  EXPECT_EQ(handler->ShowContextMenu(0, nullptr, nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(handler->ShowUI(0, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(handler->HideUI(), E_NOTIMPL);
  EXPECT_EQ(handler->UpdateUI(), E_NOTIMPL);
  EXPECT_EQ(handler->EnableModeless(true), E_NOTIMPL);
  EXPECT_EQ(handler->OnDocWindowActivate(true), E_NOTIMPL);
  EXPECT_EQ(handler->OnFrameWindowActivate(true), E_NOTIMPL);
  EXPECT_EQ(handler->ResizeBorder(nullptr, nullptr, true), E_NOTIMPL);
  EXPECT_EQ(handler->TranslateAccelerator(nullptr, nullptr, 0), E_NOTIMPL);
  EXPECT_EQ(handler->GetOptionKeyPath(nullptr, 0), E_NOTIMPL);
  EXPECT_EQ(handler->GetDropTarget(nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(handler->GetExternal(&external), E_NOTIMPL);
  EXPECT_EQ(handler->TranslateUrl(0, nullptr, &translated), E_NOTIMPL);
  EXPECT_EQ(handler->FilterDataObject(nullptr, nullptr), E_NOTIMPL);
  // Arguments are left as they were.
  EXPECT_EQ(external, EventFace());
  EXPECT_EQ(translated, nullptr);
}

// Holds one reference for the length of a test.
class HeldController {
 public:
  explicit HeldController(CWebUIController* controller) : controller_(controller) {
    controller_->AddRef();
  }
  HeldController(const HeldController&) = delete;
  HeldController& operator=(const HeldController&) = delete;
  ~HeldController() { controller_->Release(); }
  CWebUIController* operator->() const { return controller_; }

 private:
  CWebUIController* controller_;
};

TEST(CWebUIControllerHostInfo, OnlyAddsFlagsForSwitchesThatAreOff) {
  DOCHOSTUIINFO info{};
  info.dwFlags = DOCHOSTUIFLAG_OPENNEWWIN;
  info.dwDoubleClick = 3;
  HeldController both(new CWebUIController());
  EXPECT_EQ(both->GetHostInfo(&info), S_OK);
  EXPECT_EQ(info.dwFlags, 0x20u);

  HeldController neither(new CWebUIController(false, false));
  EXPECT_EQ(neither->GetHostInfo(&info), S_OK);
  EXPECT_EQ(info.dwFlags, 0x2Cu);
  EXPECT_EQ(info.dwDoubleClick, 3u);

  DOCHOSTUIINFO borderOnly{};
  HeldController noBorder(new CWebUIController(false, true));
  noBorder->GetHostInfo(&borderOnly);
  EXPECT_EQ(borderOnly.dwFlags, static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER));

  EXPECT_EQ(both->GetHostInfo(nullptr), S_OK);
}

TEST_F(Controller, InvokeRefusesMalformedNavigateComplete) {
  EXPECT_EQ(InvokeEvent(252, nullptr), E_INVALIDARG);
  EXPECT_EQ(InvokeEvent(259, nullptr), E_INVALIDARG);

  VARIANT url{};
  url.vt = VT_BSTR;
  DISPPARAMS oneArgument{&url, nullptr, 1, 0};
  EXPECT_EQ(InvokeEvent(252, &oneArgument), E_INVALIDARG);

  VARIANT notABrowser[2]{};
  notABrowser[0].vt = VT_BSTR;
  notABrowser[1].vt = VT_I4;
  DISPPARAMS wrongType{notABrowser, nullptr, 2, 0};
  EXPECT_EQ(InvokeEvent(252, &wrongType), E_INVALIDARG);
}

// The arguments of NavigateComplete2(pDisp, URL), last first.
struct NavigateComplete2Arguments {
  explicit NavigateComplete2Arguments(IDispatch* browser) {
    arguments[0].vt = VT_BSTR;
    arguments[1].vt = VT_DISPATCH;
    arguments[1].pdispVal = browser;
  }
  VARIANT arguments[2]{};
  DISPPARAMS params{arguments, nullptr, 2, 0};
};

TEST_F(Controller, NavigateCompleteInstallsTheHandlerOnTheDocument) {
  FakeDocument document;
  FakeDocumentDispatch documentDispatch(document);
  FakeBrowser browser(&documentDispatch);
  NavigateComplete2Arguments event(&browser);

  EXPECT_EQ(InvokeEvent(252, &event.params), S_OK);
  EXPECT_EQ(document.handler, HandlerFace());
  // Every pointer the controller took was given back.
  EXPECT_EQ(browser.refs, 0u);
  EXPECT_EQ(document.refs, 0u);
  EXPECT_EQ(documentDispatch.refs, 0u);
}

TEST_F(Controller, OtherEventsAreAcceptedAndIgnored) {
  FakeDocument document;
  FakeDocumentDispatch documentDispatch(document);
  FakeBrowser browser(&documentDispatch);
  NavigateComplete2Arguments event(&browser);
  EXPECT_EQ(InvokeEvent(259, &event.params), S_OK);
  EXPECT_EQ(InvokeEvent(250, &event.params), S_OK);
  EXPECT_EQ(document.handler, nullptr);
}

TEST_F(Controller, InstallStopsQuietlyWithoutADocument) {
  FakeBrowser noDocument(nullptr);
  controller_->InstallUIHandler(&noDocument);
  controller_->InstallUIHandler(nullptr);
  EXPECT_EQ(noDocument.refs, 0u);

  FakeDocument document;
  document.acceptsHandler = false;
  FakeDocumentDispatch documentDispatch(document);
  FakeBrowser browser(&documentDispatch);
  controller_->InstallUIHandler(&browser);
  EXPECT_EQ(document.handler, nullptr);
  EXPECT_EQ(documentDispatch.refs, 0u);
}

TEST(CWebUIControllerEvents, ConnectionKeepsItAliveUntilDisconnected) {
  FakeConnectionSource control;
  auto* controller = new CWebUIController();
  ASSERT_TRUE(controller->ConnectEvents(static_cast<IConnectionPointContainer*>(&control)));
  EXPECT_EQ(control.sink, static_cast<IUnknown*>(static_cast<DWebBrowserEvents2*>(controller)));
  EXPECT_FALSE(controller->ConnectEvents(static_cast<IConnectionPointContainer*>(&control)));

  // The panel's pointer holds no reference: the connection and the
  // controller's own hold keep it alive.
  EXPECT_EQ(controller->AddRef(), 3u);
  EXPECT_EQ(controller->Release(), 2u);

  controller->DisconnectEvents();  // releases the last references
  EXPECT_EQ(control.sink, nullptr);
  EXPECT_EQ(control.refs, 0u);
}

TEST_F(Controller, DisconnectWithoutConnectionChangesNothing) {
  controller_->DisconnectEvents();
  EXPECT_EQ(controller_->AddRef(), 2u);
  EXPECT_EQ(controller_->Release(), 1u);
}

TEST_F(Controller, ConnectFailsWithoutAConnectionPoint) {
  FakeDocument notAControl;
  EXPECT_FALSE(controller_->ConnectEvents(&notAControl));
  EXPECT_FALSE(controller_->ConnectEvents(nullptr));
  EXPECT_EQ(notAControl.refs, 0u);
}

}  // namespace
