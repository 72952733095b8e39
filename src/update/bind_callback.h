// The package download's status callback: turns progress notifications into
// the panel's progress value and repaint requests. It lives on the package
// worker's stack for one download call, so it keeps no reference count.
// The download reports through DownloadProgress, in its steps; this is the
// panel's adapter from those 64-bit counts to OnProgress.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/bind_status_callback.h"
#include "update/download_progress.h"
#include "update/update_context.h"

// received × 100 / total, truncated; 0 when the total is unknown. Not limited
// to 100: a body longer than announced yields more.
int ProgressPercent(ULONG received, ULONG total);

// Both counts shifted right together until they fit in 32 bits, so their
// ratio (the percent) stays.
std::pair<ULONG, ULONG> ScaleProgress(std::uint64_t received, std::uint64_t total);

class CBindCallback final : public IBindStatusCallback, public DownloadProgress {
 public:
  explicit CBindCallback(const UpdateContext& panel) : m_pDlg(&panel) {}
  CBindCallback(const CBindCallback&) = delete;
  CBindCallback& operator=(const CBindCallback&) = delete;
  virtual ~CBindCallback() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 0; }
  ULONG STDMETHODCALLTYPE Release() override { return 0; }

  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
  // Traces and stores the percent and asks for a repaint.
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                       LPCWSTR statusText) override;
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }

  void OnBytes(std::uint64_t received, std::uint64_t total) override;

 private:
  const UpdateContext* m_pDlg;
};
