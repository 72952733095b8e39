// The WebBrowser control's DWebBrowserEvents2 events, routed to the
// launcher's BrowserEvents with their addresses and Cancel flags.
#pragma once

#include <oaidl.h>
#include <ocidl.h>
#include <windows.h>

#include "platform/browser_control.h"

namespace platform {

// DISPIDs of DWebBrowserEvents2.
inline constexpr DISPID kBeforeNavigate2 = 250;
inline constexpr DISPID kNewWindow2 = 251;
inline constexpr DISPID kNavigateComplete2 = 252;
inline constexpr DISPID kDocumentComplete = 259;
inline constexpr DISPID kNewWindow3 = 273;

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

// An advised connection of a sink to an object's DWebBrowserEvents2
// connection point; undone when destroyed.
class BrowserEventConnection {
 public:
  BrowserEventConnection() = default;
  BrowserEventConnection(const BrowserEventConnection&) = delete;
  BrowserEventConnection& operator=(const BrowserEventConnection&) = delete;
  ~BrowserEventConnection() { Disconnect(); }

  bool Connect(IUnknown* source, IDispatch* sink);
  void Disconnect();

 private:
  IConnectionPoint* point_ = nullptr;
  DWORD cookie_ = 0;
};

}  // namespace platform
