// The panel's commands: close, minimise, cancel and clear cache.
#include "platform/message_box.h"
#include "ui/main_view_bg.h"
#include "ui/plugin_caches.h"
#include "ui/tavr_dlg.h"

namespace {

constexpr const wchar_t* kClearCacheCaption = L"温馨提示";

platform::MessageAnswer Tell(platform::LauncherWindow& window, const wchar_t* text,
                             platform::MessageButtons buttons) {
  return window.OwnedMessages().Show(
      {text, kClearCacheCaption, buttons, platform::MessageIcon::None});
}

}  // namespace

void CTavrDlg::OnCancel() {
  EndPanel();
}

void CTavrDlg::OnClickClose() {
  EndPanel();
  CloseBackground();
}

void CTavrDlg::OnMinimize() {
  if (m_pMainViewBg != nullptr) m_pMainViewBg->Minimize();
}

void CTavrDlg::OnClickClearCache() {
  if (window_ == nullptr) return;
  if (Tell(*window_, L"确定清除缓存吗？", platform::MessageButtons::OkCancel) !=
      platform::MessageAnswer::Ok) {
    return;
  }
  // Both are always tried; the result tells whether everything went.
  bool cachesCleared = ClearPluginCaches(*services_.folders);
  bool browserCleared = window_->ClearBrowserData();
  Tell(*window_, cachesCleared && browserCleared ? L"清理成功" : L"清理失败，请关闭游戏后重试",
       platform::MessageButtons::Ok);
}

void CTavrDlg::EndPanel() {
  m_bVisible = false;
  m_pressedPart = PanelPart::None;
  if (window_ != nullptr) window_->ShowPanel(false);
}

void CTavrDlg::CloseBackground() {
  if (m_pMainViewBg != nullptr) m_pMainViewBg->PostClose();
}
