#include "ui/panel_window_view.h"

#include "ui/tavr_dlg.h"

PanelWindowView::PanelWindowView(std::shared_ptr<platform::UiThread> ui, CTavrDlg& panel)
    : ui_(std::move(ui)), panel_(panel) {}

void PanelWindowView::SetStatusText(const std::wstring& text) {
  ui_->Call([this, &text] { panel_.SetStatusText(text); });
}

void PanelWindowView::ShowProgressStrip(bool show) {
  ui_->Call([this, show] { panel_.ShowProgressStrip(show); });
}

void PanelWindowView::Invalidate() {
  if (repaintQueued_.exchange(true)) return;
  ui_->Post([self = shared_from_this()] {
    // Cleared before painting, so a request made during the paint queues
    // the next one.
    self->repaintQueued_.store(false);
    self->panel_.Invalidate();
  });
}
