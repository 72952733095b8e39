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
  int previous = m_pDlg->state->m_nProgress.exchange(percent);
  if (previous != percent) m_pDlg->view->Invalidate();
  m_pDlg->trace->Write(L"\n已下载" + std::to_wstring(percent));
  return S_OK;
}
