// IBindStatusCallback: how a download reports its progress. Windows declares
// it in urlmon.h; elsewhere it is declared here with the same slots.
#pragma once

#include "platform/com_types.h"

#ifdef _WIN32
#include <urlmon.h>
#else
struct IBinding;
struct BINDINFO;
struct FORMATETC;
struct STGMEDIUM;

enum BINDSTATUS : ULONG {
  BINDSTATUS_BEGINDOWNLOADDATA = 4,
  BINDSTATUS_DOWNLOADINGDATA = 5,
  BINDSTATUS_ENDDOWNLOADDATA = 6,
};

struct IBindStatusCallback : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD reserved, IBinding* binding) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPriority(LONG* priority) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnLowResource(DWORD reserved) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                               LPCWSTR statusText) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT result, LPCWSTR error) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* bindFlags, BINDINFO* bindInfo) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format,
                                                    STGMEDIUM* medium) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID riid, IUnknown* object) = 0;

 protected:
  ~IBindStatusCallback() = default;
};
#endif
