// Stand-ins for the browser engine's COM objects: a document that accepts a
// UI handler, a browser object that holds such a document, and a control
// with a DWebBrowserEvents2 connection point. Each counts its references but
// lives on the test's stack.
#pragma once

#include "platform/com_types.h"

// IUnknown for objects whose QueryInterface knows one extra interface.
#define FAKE_COM_REFCOUNT                      \
  ULONG STDMETHODCALLTYPE AddRef() override {  \
    return ++refs;                             \
  }                                            \
  ULONG STDMETHODCALLTYPE Release() override { \
    return --refs;                             \
  }

class FakeDocument final : public ICustomDoc {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override {
    *ppvObject = nullptr;
    if (!(riid == IID_ICustomDoc || riid == IID_IUnknown) || !acceptsHandler) {
      return E_NOINTERFACE;
    }
    *ppvObject = static_cast<ICustomDoc*>(this);
    AddRef();
    return S_OK;
  }
  FAKE_COM_REFCOUNT
  HRESULT STDMETHODCALLTYPE SetUIHandler(IDocHostUIHandler* pUIHandler) override {
    handler = pUIHandler;
    return S_OK;
  }

  bool acceptsHandler = true;
  IDocHostUIHandler* handler = nullptr;
  ULONG refs = 0;
};

class FakeBrowser final : public IWebBrowser2 {
 public:
  explicit FakeBrowser(IDispatch* document) : document_(document) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override {
    *ppvObject = nullptr;
    if (riid == IID_IWebBrowser2 || riid == IID_IDispatch || riid == IID_IUnknown) {
      *ppvObject = static_cast<IWebBrowser2*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  FAKE_COM_REFCOUNT
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_Document(IDispatch** ppDisp) override {
    *ppDisp = document_;
    if (document_ != nullptr) document_->AddRef();
    return S_OK;
  }
#ifdef _WIN32
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include "web_browser2_stubs.inc"
#pragma GCC diagnostic pop
#endif

  ULONG refs = 0;

 private:
  IDispatch* document_;
};

// A document is reached through its IDispatch; this one also answers for
// ICustomDoc through FakeDocument.
class FakeDocumentDispatch final : public IDispatch {
 public:
  explicit FakeDocumentDispatch(FakeDocument& document) : document_(document) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override {
    if (riid == IID_IDispatch) {
      *ppvObject = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    return document_.QueryInterface(riid, ppvObject);
  }
  FAKE_COM_REFCOUNT
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  ULONG refs = 0;

 private:
  FakeDocument& document_;
};

// The control's connection point for DWebBrowserEvents2. It holds one
// reference on the advised sink, as a real connection point does.
class FakeConnectionSource final : public IConnectionPointContainer, public IConnectionPoint {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override {
    *ppvObject = nullptr;
    if (riid == IID_IConnectionPointContainer || riid == IID_IUnknown) {
      *ppvObject = static_cast<IConnectionPointContainer*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  FAKE_COM_REFCOUNT
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override {
    *ppCP = nullptr;
    if (riid != DIID_DWebBrowserEvents2) return E_NOINTERFACE;
    *ppCP = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override {
    if (sink != nullptr) return E_FAIL;
    sink = pUnkSink;
    sink->AddRef();
    *pdwCookie = kCookie;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) override {
    if (sink == nullptr || dwCookie != kCookie) return E_INVALIDARG;
    IUnknown* old = sink;
    sink = nullptr;
    old->Release();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

  static constexpr DWORD kCookie = 0x51;
  IUnknown* sink = nullptr;
  ULONG refs = 0;
};
