// The browser host's own COM object with two faces: a DWebBrowserEvents2 sink
// that hears of completed navigations, and the IDocHostUIHandler it then
// installs on each new document. As a handler it answers only the
// host-information request. Its reference count is a plain integer: it lives
// on the user-interface thread alone.
#pragma once

#include "platform/com_types.h"
#include "platform/event_connection.h"

class CWebUIController : public DWebBrowserEvents2, public IDocHostUIHandler {
 public:
  // The switches keep the document's 3-D border and scroll bars; the panel
  // leaves both on.
  explicit CWebUIController(BOOL show3DBorder = true, BOOL showScrollBars = true)
      : m_bShow3DBorder(show3DBorder), m_bShowScrollBars(showScrollBars) {}
  CWebUIController(const CWebUIController&) = delete;
  CWebUIController& operator=(const CWebUIController&) = delete;

  // IUnknown, shared by both faces. The identity is the handler face.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch of the event face.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                          DISPID* rgDispId) override;
  // Acts on NavigateComplete2 (252) alone: installs the handler on the
  // document of the browser that navigated.
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                   DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                   EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

  // IDocHostUIHandler.
  HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved,
                                            IDispatch* pdispReserved) override;
  HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* pInfo) override;
  HRESULT STDMETHODCALLTYPE ShowUI(DWORD dwID, IOleInPlaceActiveObject* pActiveObject,
                                   IOleCommandTarget* pCommandTarget, IOleInPlaceFrame* pFrame,
                                   IOleInPlaceUIWindow* pDoc) override;
  HRESULT STDMETHODCALLTYPE HideUI() override;
  HRESULT STDMETHODCALLTYPE UpdateUI() override;
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL fEnable) override;
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL fActivate) override;
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL fActivate) override;
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow,
                                         BOOL fRameWindow) override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup,
                                                 DWORD nCmdID) override;
  HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* pchKey, DWORD dw) override;
  HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget* pDropTarget,
                                          IDropTarget** ppDropTarget) override;
  HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** ppDispatch) override;
  HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD dwTranslate, LPWSTR pchURLIn,
                                         LPWSTR* ppchURLOut) override;
  HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject* pDO, IDataObject** ppDORet) override;

  // Makes the handler face the UI handler of the browser's current document.
  void InstallUIHandler(IDispatch* pBrowser);
  // Advises the event face on the control's DWebBrowserEvents2 connection
  // point. The connection keeps this object alive until DisconnectEvents.
  // False when no connection was made (or one is already made).
  bool ConnectEvents(IUnknown* pEventSource);
  // Ends the connection, if any.
  void DisconnectEvents();

 protected:
  virtual ~CWebUIController() = default;

 private:
  LONG m_cRef = 0;
  platform::EventConnection m_events;
  BOOL m_bShow3DBorder;
  BOOL m_bShowScrollBars;
};
