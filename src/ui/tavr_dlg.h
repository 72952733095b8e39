// The launcher panel: the browser, the close and clear-cache pictures, the
// progress bar and the status line, as a layer over the background window.
// It owns the launcher's shared state (PanelState) and answers the panel's
// commands.
#pragma once

#include <memory>
#include <string>

#include "browser/explorer_page.h"
#include "browser/navigation_handlers.h"
#include "browser/navigation_view.h"
#include "core/display_scale.h"
#include "core/panel_state.h"
#include "platform/canvas.h"
#include "platform/com_ptr.h"
#include "platform/launcher_window.h"
#include "platform/picture.h"
#include "platform/services.h"
#include "ui/panel_layout.h"

class MainViewBg;

// Resource IDs of the panel's pictures.
inline constexpr int kCloseImageId = 136;
inline constexpr int kProgressImageId = 158;
inline constexpr int kClearCacheImageId = 163;

// Pink, with no background of its own.
inline constexpr platform::Rgb kStatusTextColour{255, 128, 255};

class CWebUIController;

class CTavrDlg final : public NavigationView {
 public:
  // Forms and creates the client root directory.
  CTavrDlg(const platform::Services& services, MainViewBg* parent);
  ~CTavrDlg() override;
  CTavrDlg(const CTavrDlg&) = delete;
  CTavrDlg& operator=(const CTavrDlg&) = delete;

  // Writes the browser emulation value, reads the configuration, loads the
  // pictures, starts the update check and the browser.
  bool OnInitDialog(platform::LauncherWindow& window);

  // One frame of the panel layer, painted once: by the erase rule or else by
  // the painting routine.
  void OnDraw(platform::Canvas& canvas);
  // The erase rule: the first erase and one with a redraw pending paint
  // (once) and clear the flag; true when it painted.
  bool OnEraseBkgnd(platform::Canvas& canvas);
  void OnPaint(platform::Canvas& canvas);

  bool IsVisible() const { return m_bVisible; }
  PanelPart PartAt(int x, int y) const;
  void OnMouseDown(int x, int y);
  void OnMouseUp(int x, int y);

  // Commands.
  void OnCancel();
  void OnClickClose();
  void OnMinimize();
  void OnClickClearCache();

  // NavigationView, for the game launch.
  void EndPanel() override;
  void CloseBackground() override;
  void SetStatusText(const std::wstring& text) override;

  // The progress strip anchors the bar; showing or hiding it repaints.
  void ShowProgressStrip(bool show);
  // Whole panel, erase requested.
  void Invalidate();

  const std::wstring& StatusText() const { return m_statusText; }
  const DesignScale& Scale() const { return m_designScale; }
  std::shared_ptr<PanelState> State() const { return m_state; }

  MainViewBg* m_pMainViewBg = nullptr;

 private:
  const platform::Services& services_;
  std::shared_ptr<PanelState> m_state;
  platform::LauncherWindow* window_ = nullptr;
  DesignScale m_designScale;
  PanelLayout m_layout{m_designScale};

  std::unique_ptr<platform::Picture> m_imgClose;
  std::unique_ptr<platform::Picture> m_imgClearCache;
  std::unique_ptr<platform::Picture> m_imgProgress;
  // As dialog template 102 leaves it until a worker writes it.
  std::wstring m_statusText = L".............";
  bool m_bFirstEraseDone = false;
  CExplorer_page m_explorer;
  // The host UI handler; released with the panel.
  platform::ComPtr<CWebUIController> m_pUIController;
  std::unique_ptr<NavigationHandlers> m_navigation;
  bool m_bVisible = true;
  // The control the primary button went down on; a click needs both ends.
  PanelPart m_pressedPart = PanelPart::None;
};
