#include "ui/main_view_bg.h"

#include "platform/window_system.h"
#include "ui/panel_layout.h"
#include "ui/tavr_dlg.h"

MainViewBg::MainViewBg(const platform::Services& services) : services_(services) {}

MainViewBg::~MainViewBg() = default;

void MainViewBg::DoModal() {
  window_ = services_.windows->CreateLauncherWindow(*this);
  OnInitDialog();
  window_->Run();
  window_.reset();
}

bool MainViewBg::OnInitDialog() {
  m_designScale.Refresh(GetDisplayScalePercent(*services_.environment));
  m_pBgImage = services_.windows->LoadPngResource(kBackgroundImageId);
  DrawLayeredBackground();
  window_->CenterOnWorkArea();

  m_pPanel = std::make_unique<CTavrDlg>(services_, this);
  m_pPanel->m_pMainViewBg = this;
  m_pPanel->OnInitDialog(*window_);
  window_->ShowPanel(true);
  window_->CenterOnWorkArea();
  return true;
}

void MainViewBg::DrawLayeredBackground() {
  platform::Rect size = PanelLayout(m_designScale).Window();
  window_->SetBackground(m_pBgImage.get(), size.width, size.height);
}

void MainViewBg::Minimize() {
  if (window_) window_->Minimize();
}

void MainViewBg::PostClose() {
  if (window_) window_->PostClose();
}

void MainViewBg::OnPaint(platform::Canvas& canvas) {
  if (m_pPanel && m_pPanel->IsVisible()) m_pPanel->OnDraw(canvas);
}

void MainViewBg::OnMouseDown(int x, int y) {
  if (m_pPanel && m_pPanel->PartAt(x, y) != PanelPart::None) {
    m_pPanel->OnMouseDown(x, y);
  } else if (window_) {
    window_->BeginDrag(x, y);
  }
}

void MainViewBg::OnMouseUp(int x, int y) {
  if (m_pPanel) m_pPanel->OnMouseUp(x, y);
}

bool MainViewBg::OnKeyDown(platform::Key key) {
  return key == platform::Key::Escape;
}

void MainViewBg::OnCommand(platform::PanelCommand command) {
  if (!m_pPanel) return;
  switch (command) {
    case platform::PanelCommand::Cancel:
      m_pPanel->OnCancel();
      break;
    case platform::PanelCommand::Close:
      m_pPanel->OnClickClose();
      break;
    case platform::PanelCommand::Minimize:
      m_pPanel->OnMinimize();
      break;
    case platform::PanelCommand::ClearCache:
      m_pPanel->OnClickClearCache();
      break;
  }
}
