#include "platform/win32/browser_event_sink.h"

#include <exdisp.h>
#include <ocidl.h>

#include <string>

namespace platform {

namespace {

// Arguments arrive last first: argument `n` of `count` is rgvarg[count - 1 - n].
const VARIANT* Argument(const DISPPARAMS& params, UINT n) {
  return &params.rgvarg[params.cArgs - 1 - n];
}

const VARIANT* Dereferenced(const VARIANT* value) {
  if (value->vt == (VT_VARIANT | VT_BYREF) && value->pvarVal != nullptr) return value->pvarVal;
  return value;
}

std::wstring Text(const VARIANT* value) {
  value = Dereferenced(value);
  if (value->vt == VT_BSTR && value->bstrVal != nullptr)
    return std::wstring(value->bstrVal, ::SysStringLen(value->bstrVal));
  if (value->vt == (VT_BSTR | VT_BYREF) && value->pbstrVal != nullptr &&
      *value->pbstrVal != nullptr)
    return std::wstring(*value->pbstrVal, ::SysStringLen(*value->pbstrVal));
  return std::wstring();
}

VARIANT_BOOL* CancelFlag(const VARIANT* value) {
  return value->vt == (VT_BOOL | VT_BYREF) ? value->pboolVal : nullptr;
}

// Runs `handler` with the control's Cancel flag and hands its decision back.
template <typename Handler>
HRESULT WithCancel(VARIANT_BOOL* flag, Handler handler) {
  if (flag == nullptr) return E_INVALIDARG;
  bool cancel = *flag != VARIANT_FALSE;
  handler(cancel);
  *flag = cancel ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

}  // namespace

BrowserEventSink* BrowserEventSink::Create() {
  return new BrowserEventSink();
}

HRESULT STDMETHODCALLTYPE BrowserEventSink::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (riid != IID_IUnknown && riid != IID_IDispatch && riid != DIID_DWebBrowserEvents2)
    return E_NOINTERFACE;
  *object = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE BrowserEventSink::AddRef() {
  return static_cast<ULONG>(++references_);
}

ULONG STDMETHODCALLTYPE BrowserEventSink::Release() {
  LONG left = --references_;
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE BrowserEventSink::GetTypeInfoCount(UINT* count) {
  if (count != nullptr) *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BrowserEventSink::GetTypeInfo(UINT, LCID, ITypeInfo**) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE BrowserEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE BrowserEventSink::Invoke(DISPID id, REFIID, LCID, WORD,
                                                   DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                                   UINT*) {
  static constexpr DISPID kRouted[] = {kBeforeNavigate2, kNewWindow2, kNavigateComplete2,
                                       kDocumentComplete, kNewWindow3};
  bool routed = false;
  for (DISPID known : kRouted) routed = routed || known == id;
  if (!routed) return S_OK;
  if (params == nullptr || (params->cArgs > 0 && params->rgvarg == nullptr)) return E_INVALIDARG;
  BrowserEvents* events = events_;

  switch (id) {
    case kBeforeNavigate2: {
      // pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel.
      if (params->cArgs != 7) return E_INVALIDARG;
      std::wstring url = Text(Argument(*params, 1));
      return WithCancel(CancelFlag(Argument(*params, 6)), [&](bool& cancel) {
        if (events != nullptr) events->BeforeNavigate(url, cancel);
      });
    }
    case kNewWindow3: {
      // ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl.
      if (params->cArgs != 5) return E_INVALIDARG;
      std::wstring url = Text(Argument(*params, 4));
      return WithCancel(CancelFlag(Argument(*params, 1)), [&](bool& cancel) {
        if (events != nullptr) events->NewWindow(url, cancel);
      });
    }
    case kNavigateComplete2:
    case kDocumentComplete: {
      // pDisp, URL.
      if (params->cArgs != 2) return E_INVALIDARG;
      std::wstring url = Text(Argument(*params, 1));
      if (events == nullptr) return S_OK;
      if (id == kNavigateComplete2) {
        events->NavigateComplete(url);
      } else {
        events->DocumentComplete(url);
      }
      return S_OK;
    }
    default:
      // NewWindow2 (ppDisp, Cancel): the decision about a new window is
      // NewWindow3's, so Cancel is not handed on.
      if (params->cArgs != 2) return E_INVALIDARG;
      if (events != nullptr) events->NewWindow2();
      return S_OK;
  }
}

}  // namespace platform
