#include "ui/tavr_dlg.h"

#include <cwchar>
#include <utility>

#include "browser/browser_emulation.h"
#include "browser/web_ui_controller.h"
#include "core/config_path.h"
#include "files/launcher_config.h"
#include "platform/environment.h"
#include "platform/text_codec.h"
#include "platform/trace.h"
#include "platform/window_system.h"
#include "ui/panel_window_view.h"
#include "update/check_update.h"
#include "update/update_start.h"

namespace {

std::wstring Formatted(const wchar_t* format, double value) {
  wchar_t buffer[64];
  std::swprintf(buffer, 64, format, value);
  return buffer;
}

}  // namespace

CTavrDlg::CTavrDlg(const platform::Services& services, MainViewBg* parent)
    : m_pMainViewBg(parent),
      services_(services),
      m_state(std::make_shared<PanelState>(*services.environment)) {}

CTavrDlg::~CTavrDlg() {
  if (m_pUIController) m_pUIController->DisconnectEvents();
}

bool CTavrDlg::OnInitDialog(platform::LauncherWindow& window) {
  window_ = &window;
  std::wstring executable = services_.environment->ExecutablePath();
  SetBrowserEmulation(*services_.registry, BrowserEmulationValueName(executable).c_str());
  m_state->AdoptConfig(ReadLauncherConfig(ConfigFilePath(executable)));
  m_state->verifyFiles = services_.environment->HasSwitch(L"--verify");

  m_designScale.Refresh(GetDisplayScalePercent(*services_.environment));
  services_.trace->Write(Formatted(L"designScale %.3f", m_designScale.Factor()));
  services_.trace->Write(L"\n");

  m_imgClose = services_.windows->LoadPngResource(kCloseImageId);
  m_imgProgress = services_.windows->LoadPngResource(kProgressImageId);
  m_imgClearCache = services_.windows->LoadPngResource(kClearCacheImageId);

  StartUpdateCheck(MakeUpdateContext(
      m_state, std::make_shared<PanelWindowView>(window.UiThreadHandle(), *this), services_));

  auto* controller = new CWebUIController();
  controller->AddRef();
  m_pUIController.Reset(controller);

  m_explorer.Bind(&window.Browser());
  m_navigation = std::make_unique<NavigationHandlers>(*m_state, m_explorer, *this, services_);
  window.SetBrowserEvents(m_navigation.get());
  m_explorer.put_Silent(true);
  m_explorer.Navigate(platform::DecodeAnsi(m_state->NestedPage()));
  platform::Rect place = m_layout.Browser();
  m_explorer.put_Left(place.x);
  m_explorer.put_Top(place.y);
  m_explorer.put_Width(place.width);
  m_explorer.put_Height(place.height);
  return true;
}

void CTavrDlg::OnDraw(platform::Canvas& canvas) {
  // Every frame starts cleared; a second blend would darken the pictures'
  // soft edges.
  if (!OnEraseBkgnd(canvas)) OnPaint(canvas);
}

bool CTavrDlg::OnEraseBkgnd(platform::Canvas& canvas) {
  bool first = !std::exchange(m_bFirstEraseDone, true);
  bool pending = m_state->m_bRedrawPending.exchange(false);
  if (!first && !pending) return false;
  OnPaint(canvas);
  return true;
}

void CTavrDlg::OnPaint(platform::Canvas& canvas) {
  if (m_imgClose) canvas.DrawPicture(*m_imgClose, m_layout.CloseControl());
  if (m_imgClearCache) canvas.DrawPicture(*m_imgClearCache, m_layout.ClearCacheControl());

  int progress = m_state->m_nProgress.load();
  services_.trace->Write(
      L"\nwidth=" + std::to_wstring(ProgressBarLength(progress, PanelState::m_nProgressWidth)));
  if (m_state->m_bShowProgress.load() && m_imgProgress) {
    canvas.DrawPicture(*m_imgProgress, m_layout.ProgressBar(progress));
  }
  canvas.DrawTextLine(m_statusText, m_layout.StatusLine(), kStatusTextColour);
}

PanelPart CTavrDlg::PartAt(int x, int y) const {
  return m_bVisible ? m_layout.HitTest(x, y) : PanelPart::None;
}

void CTavrDlg::OnMouseDown(int x, int y) {
  m_pressedPart = PartAt(x, y);
}

void CTavrDlg::OnMouseUp(int x, int y) {
  PanelPart pressed = m_pressedPart;
  m_pressedPart = PanelPart::None;
  if (pressed != PartAt(x, y)) return;
  if (pressed == PanelPart::Close) OnClickClose();
  if (pressed == PanelPart::ClearCache) OnClickClearCache();
}

void CTavrDlg::SetStatusText(const std::wstring& text) {
  m_statusText = text;
  Invalidate();
}

void CTavrDlg::ShowProgressStrip(bool) {
  Invalidate();
}

void CTavrDlg::Invalidate() {
  if (window_ != nullptr) window_->InvalidatePanel();
}
