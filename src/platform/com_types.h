// The COM types the launcher's own COM-style objects need (the browser's host
// objects, the download progress callback). Windows takes them from the SDK;
// on Linux there is no COM, so a minimal copy of the same names lets those
// objects and their tests build unchanged. Only the methods the launcher calls
// or implements are declared here.
#pragma once

#ifdef _WIN32

#include <windows.h>

#include <docobj.h>
#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <ocidl.h>
#include <oleauto.h>

#else

#include <cstdint>
#include <cstring>

#define STDMETHODCALLTYPE

using HRESULT = std::int32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using UINT = unsigned int;
using BOOL = int;
using LCID = DWORD;
using DISPID = LONG;
using VARTYPE = std::uint16_t;
using VARIANT_BOOL = short;
using OLECHAR = wchar_t;
using LPOLESTR = OLECHAR*;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
using BSTR = OLECHAR*;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr bool SUCCEEDED(HRESULT hr) {
  return hr >= 0;
}
inline constexpr bool FAILED(HRESULT hr) {
  return hr < 0;
}

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
using IID = GUID;
using REFIID = const IID&;
inline bool operator==(const GUID& a, const GUID& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}
inline bool operator!=(const GUID& a, const GUID& b) {
  return !(a == b);
}

inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IDispatch = {
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID DIID_DWebBrowserEvents2 = {
    0x34A715A0, 0x6587, 0x11D0, {0x92, 0x4A, 0x00, 0x20, 0xAF, 0xC7, 0xAC, 0x4D}};
inline constexpr IID IID_IDocHostUIHandler = {
    0xBD3F23C0, 0xD43E, 0x11CF, {0x89, 0x3B, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x1A}};
inline constexpr IID IID_IWebBrowser2 = {
    0xD30C1661, 0xCDAF, 0x11D0, {0x8A, 0x3E, 0x00, 0xC0, 0x4F, 0xC9, 0xE2, 0x6E}};
inline constexpr IID IID_ICustomDoc = {
    0x3050F3F0, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
inline constexpr IID IID_IConnectionPointContainer = {
    0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};

enum VARENUM : VARTYPE { VT_EMPTY = 0, VT_I4 = 3, VT_BSTR = 8, VT_DISPATCH = 9, VT_BOOL = 11 };

struct IDispatch;

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONG lVal;
    VARIANT_BOOL boolVal;
    BSTR bstrVal;
    IDispatch* pdispVal;
  };
};
using VARIANTARG = VARIANT;
inline void VariantInit(VARIANT* variant) {
  std::memset(variant, 0, sizeof *variant);
}

struct DISPPARAMS {
  VARIANTARG* rgvarg;
  DISPID* rgdispidNamedArgs;
  UINT cArgs;
  UINT cNamedArgs;
};

struct EXCEPINFO;
struct ITypeInfo;
struct POINT;
struct RECT;
struct MSG;
using LPCRECT = const RECT*;
using LPMSG = MSG*;
struct IOleInPlaceActiveObject;
struct IOleCommandTarget;
struct IOleInPlaceFrame;
struct IOleInPlaceUIWindow;
struct IDropTarget;
struct IDataObject;
struct IEnumConnectionPoints;
struct IEnumConnections;

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

struct IDispatch : IUnknown {
  virtual HRESULT GetTypeInfoCount(UINT* pctinfo) = 0;
  virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
  virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                DISPID* rgDispId) = 0;
  virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                         DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                         UINT* puArgErr) = 0;

 protected:
  ~IDispatch() = default;
};

struct DWebBrowserEvents2 : IDispatch {
 protected:
  ~DWebBrowserEvents2() = default;
};

// Only the document property of the browser object.
struct IWebBrowser2 : IDispatch {
  virtual HRESULT get_Document(IDispatch** ppDisp) = 0;

 protected:
  ~IWebBrowser2() = default;
};

enum DOCHOSTUIFLAG : DWORD {
  DOCHOSTUIFLAG_NO3DBORDER = 0x4,
  DOCHOSTUIFLAG_SCROLL_NO = 0x8,
  DOCHOSTUIFLAG_OPENNEWWIN = 0x20,
};

struct DOCHOSTUIINFO {
  ULONG cbSize;
  DWORD dwFlags;
  DWORD dwDoubleClick;
  OLECHAR* pchHostCss;
  OLECHAR* pchHostNS;
};

struct IDocHostUIHandler : IUnknown {
  virtual HRESULT ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved,
                                  IDispatch* pdispReserved) = 0;
  virtual HRESULT GetHostInfo(DOCHOSTUIINFO* pInfo) = 0;
  virtual HRESULT ShowUI(DWORD dwID, IOleInPlaceActiveObject* pActiveObject,
                         IOleCommandTarget* pCommandTarget, IOleInPlaceFrame* pFrame,
                         IOleInPlaceUIWindow* pDoc) = 0;
  virtual HRESULT HideUI() = 0;
  virtual HRESULT UpdateUI() = 0;
  virtual HRESULT EnableModeless(BOOL fEnable) = 0;
  virtual HRESULT OnDocWindowActivate(BOOL fActivate) = 0;
  virtual HRESULT OnFrameWindowActivate(BOOL fActivate) = 0;
  virtual HRESULT ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow,
                               BOOL fRameWindow) = 0;
  virtual HRESULT TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID) = 0;
  virtual HRESULT GetOptionKeyPath(LPOLESTR* pchKey, DWORD dw) = 0;
  virtual HRESULT GetDropTarget(IDropTarget* pDropTarget, IDropTarget** ppDropTarget) = 0;
  virtual HRESULT GetExternal(IDispatch** ppDispatch) = 0;
  virtual HRESULT TranslateUrl(DWORD dwTranslate, LPWSTR pchURLIn, LPWSTR* ppchURLOut) = 0;
  virtual HRESULT FilterDataObject(IDataObject* pDO, IDataObject** ppDORet) = 0;

 protected:
  ~IDocHostUIHandler() = default;
};

struct ICustomDoc : IUnknown {
  virtual HRESULT SetUIHandler(IDocHostUIHandler* pUIHandler) = 0;

 protected:
  ~ICustomDoc() = default;
};

struct IConnectionPointContainer;

struct IConnectionPoint : IUnknown {
  virtual HRESULT GetConnectionInterface(IID* pIID) = 0;
  virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppCPC) = 0;
  virtual HRESULT Advise(IUnknown* pUnkSink, DWORD* pdwCookie) = 0;
  virtual HRESULT Unadvise(DWORD dwCookie) = 0;
  virtual HRESULT EnumConnections(IEnumConnections** ppEnum) = 0;

 protected:
  ~IConnectionPoint() = default;
};

struct IConnectionPointContainer : IUnknown {
  virtual HRESULT EnumConnectionPoints(IEnumConnectionPoints** ppEnum) = 0;
  virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) = 0;

 protected:
  ~IConnectionPointContainer() = default;
};

enum OLECMDID { OLECMDID_OPTICAL_ZOOM = 63 };
enum OLECMDEXECOPT { OLECMDEXECOPT_DODEFAULT = 0 };

#endif
