#include "update/bind_callback.h"

#include <climits>
#include <string>

int ProgressPercent(ULONG received, ULONG total) {
  if (total == 0) return 0;
  double percent = static_cast<double>(received) * 100.0 / static_cast<double>(total);
  // Beyond INT_MAX the conversion would be undefined.
  if (percent >= static_cast<double>(INT_MAX)) return INT_MAX;
  return static_cast<int>(percent);
}

HRESULT STDMETHODCALLTYPE CBindCallback::QueryInterface(REFIID, void** object) {
  if (object != nullptr) *object = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CBindCallback::OnProgress(ULONG progress, ULONG progressMax, ULONG,
                                                    LPCWSTR) {
  int percent = ProgressPercent(progress, progressMax);
  m_pDlg->trace->Write(L"\nSetProgress=" + std::to_wstring(percent));
  m_pDlg->state->m_nProgress = percent;
  m_pDlg->view->Invalidate();
  m_pDlg->trace->Write(L"\n已下载" + std::to_wstring(percent));
  return S_OK;
}

void CBindCallback::OnBytes(std::uint64_t received, std::uint64_t total) {
  auto [progress, progressMax] = ScaleProgress(received, total);
  OnProgress(progress, progressMax, BINDSTATUS_DOWNLOADINGDATA, nullptr);
}

std::pair<ULONG, ULONG> ScaleProgress(std::uint64_t received, std::uint64_t total) {
  constexpr std::uint64_t kLargest = 0xFFFFFFFFu;
  while (received > kLargest || total > kLargest) {
    received >>= 1;
    total >>= 1;
  }
  return {static_cast<ULONG>(received), static_cast<ULONG>(total)};
}
