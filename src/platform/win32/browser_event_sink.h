// The WebBrowser control's DWebBrowserEvents2 events, routed to the
// launcher's BrowserEvents with their addresses and Cancel flags.
#pragma once

#include <oaidl.h>
#include <ocidl.h>
#include <windows.h>

#include "platform/browser_control.h"
#include "platform/web_browser_events.h"

namespace platform {

class BrowserEventSink final : public IDispatch {
 public:
  // With one reference, for the caller.
  static BrowserEventSink* Create();
  BrowserEventSink(const BrowserEventSink&) = delete;
  BrowserEventSink& operator=(const BrowserEventSink&) = delete;

  // Null: events are answered and dropped.
  void SetEvents(BrowserEvents* events) { events_ = events; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  // Malformed calls of the five routed events answer E_INVALIDARG.
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override;

 private:
  BrowserEventSink() = default;
  ~BrowserEventSink() = default;

  LONG references_ = 1;
  BrowserEvents* events_ = nullptr;
};

}  // namespace platform
