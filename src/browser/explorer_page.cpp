#include "browser/explorer_page.h"

#include "platform/browser_control.h"

void CExplorer_page::put_Silent(bool silent) {
  if (m_pControl != nullptr) m_pControl->SetSilent(silent);
}

void CExplorer_page::Navigate(const std::wstring& url) {
  if (m_pControl != nullptr) m_pControl->Navigate(url);
}

void CExplorer_page::put_Left(long pixels) {
  if (m_pControl != nullptr) m_pControl->SetLeft(static_cast<int>(pixels));
}

void CExplorer_page::put_Top(long pixels) {
  if (m_pControl != nullptr) m_pControl->SetTop(static_cast<int>(pixels));
}

void CExplorer_page::put_Width(long pixels) {
  if (m_pControl != nullptr) m_pControl->SetWidth(static_cast<int>(pixels));
}

void CExplorer_page::put_Height(long pixels) {
  if (m_pControl != nullptr) m_pControl->SetHeight(static_cast<int>(pixels));
}

void CExplorer_page::ExecWB(long cmdID, long, VARIANT* pvaIn, VARIANT*) {
  if (m_pControl == nullptr || cmdID != OLECMDID_OPTICAL_ZOOM) return;
  if (pvaIn == nullptr || pvaIn->vt != VT_I4) return;
  m_pControl->SetOpticalZoom(static_cast<int>(pvaIn->lVal));
}
