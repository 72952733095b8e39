// The panel's window calls as the update workers make them: each runs on the
// user-interface thread and is waited for; repaint requests that arrive
// before the previous one was painted are merged; once the window has gone
// nothing happens.
#pragma once

#include <atomic>
#include <memory>

#include "core/panel_view.h"
#include "platform/ui_thread.h"

class CTavrDlg;

class PanelWindowView final : public PanelView,
                              public std::enable_shared_from_this<PanelWindowView> {
 public:
  // `panel` is touched only on the user-interface thread, while `ui` still
  // runs work, which it stops doing when the window goes.
  PanelWindowView(std::shared_ptr<platform::UiThread> ui, CTavrDlg& panel);

  void SetStatusText(const std::wstring& text) override;
  void ShowProgressStrip(bool show) override;
  void Invalidate() override;

 private:
  std::shared_ptr<platform::UiThread> ui_;
  CTavrDlg& panel_;
  std::atomic<bool> repaintQueued_{false};
};
