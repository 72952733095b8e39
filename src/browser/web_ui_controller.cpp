#include "browser/web_ui_controller.h"

#include "platform/com_ptr.h"
#include "platform/web_browser_events.h"

using platform::ComPtr;
using platform::kNavigateComplete2;

HRESULT CWebUIController::QueryInterface(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  *ppvObject = nullptr;
  if (riid == DIID_DWebBrowserEvents2 || riid == IID_IDispatch) {
    *ppvObject = static_cast<DWebBrowserEvents2*>(this);
  } else if (riid == IID_IDocHostUIHandler || riid == IID_IUnknown) {
    *ppvObject = static_cast<IDocHostUIHandler*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG CWebUIController::AddRef() {
  return static_cast<ULONG>(++m_cRef);
}

ULONG CWebUIController::Release() {
  LONG count = --m_cRef;
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

HRESULT CWebUIController::GetTypeInfoCount(UINT*) {
  return E_NOTIMPL;
}

HRESULT CWebUIController::GetTypeInfo(UINT, LCID, ITypeInfo**) {
  return E_NOTIMPL;
}

HRESULT CWebUIController::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

HRESULT CWebUIController::Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS* pDispParams,
                                 VARIANT*, EXCEPINFO*, UINT*) {
  if (pDispParams == nullptr) return E_INVALIDARG;
  if (dispIdMember != kNavigateComplete2) return S_OK;
  // Arguments arrive last first: the browser that navigated is the second.
  if (pDispParams->cArgs < 2 || pDispParams->rgvarg == nullptr) return E_INVALIDARG;
  const VARIANTARG& browser = pDispParams->rgvarg[1];
  if (browser.vt != VT_DISPATCH) return E_INVALIDARG;
  InstallUIHandler(browser.pdispVal);
  return S_OK;
}

HRESULT CWebUIController::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) {
  return E_NOTIMPL;
}

HRESULT CWebUIController::GetHostInfo(DOCHOSTUIINFO* pInfo) {
  if (pInfo == nullptr) return S_OK;
  if (!m_bShow3DBorder) pInfo->dwFlags |= DOCHOSTUIFLAG_NO3DBORDER;
  if (!m_bShowScrollBars) pInfo->dwFlags |= DOCHOSTUIFLAG_SCROLL_NO;
  return S_OK;
}

HRESULT CWebUIController::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*,
                                 IOleInPlaceFrame*, IOleInPlaceUIWindow*) {
  return E_NOTIMPL;
}

HRESULT CWebUIController::HideUI() {
  return E_NOTIMPL;
}

HRESULT CWebUIController::UpdateUI() {
  return E_NOTIMPL;
}

HRESULT CWebUIController::EnableModeless(BOOL) {
  return E_NOTIMPL;
}

HRESULT CWebUIController::OnDocWindowActivate(BOOL) {
  return E_NOTIMPL;
}

HRESULT CWebUIController::OnFrameWindowActivate(BOOL) {
  return E_NOTIMPL;
}

HRESULT CWebUIController::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
  return E_NOTIMPL;
}

HRESULT CWebUIController::TranslateAccelerator(LPMSG, const GUID*, DWORD) {
  return E_NOTIMPL;
}

HRESULT CWebUIController::GetOptionKeyPath(LPOLESTR*, DWORD) {
  return E_NOTIMPL;
}

HRESULT CWebUIController::GetDropTarget(IDropTarget*, IDropTarget**) {
  return E_NOTIMPL;
}

HRESULT CWebUIController::GetExternal(IDispatch**) {
  return E_NOTIMPL;
}

HRESULT CWebUIController::TranslateUrl(DWORD, LPWSTR, LPWSTR*) {
  return E_NOTIMPL;
}

HRESULT CWebUIController::FilterDataObject(IDataObject*, IDataObject**) {
  return E_NOTIMPL;
}

void CWebUIController::InstallUIHandler(IDispatch* pBrowser) {
  if (pBrowser == nullptr) return;
  ComPtr<IWebBrowser2> browser;
  if (FAILED(pBrowser->QueryInterface(IID_IWebBrowser2, browser.PutVoid())) || !browser) {
    return;
  }
  ComPtr<IDispatch> document;
  if (FAILED(browser->get_Document(document.Put())) || !document) {
    return;
  }
  ComPtr<ICustomDoc> customDoc;
  if (SUCCEEDED(document->QueryInterface(IID_ICustomDoc, customDoc.PutVoid())) && customDoc) {
    customDoc->SetUIHandler(static_cast<IDocHostUIHandler*>(this));
  }
}

bool CWebUIController::ConnectEvents(IUnknown* pEventSource) {
  if (pEventSource == nullptr || m_events.Connected()) return false;
  if (!m_events.Connect(pEventSource, DIID_DWebBrowserEvents2,
                        static_cast<DWebBrowserEvents2*>(this))) {
    return false;
  }
  AddRef();
  return true;
}

void CWebUIController::DisconnectEvents() {
  if (!m_events.Connected()) return;
  m_events.Disconnect();
  // The reference ConnectEvents took; it may be the last.
  Release();
}
