// The launcher's main window: the background picture with per-pixel alpha,
// dragged by any visible part outside the panel's, carrying the panel.
#pragma once

#include <memory>

#include "core/display_scale.h"
#include "platform/launcher_window.h"
#include "platform/picture.h"
#include "platform/services.h"

class CTavrDlg;

inline constexpr int kBackgroundImageId = 135;

class MainViewBg final : public platform::WindowEvents {
 public:
  explicit MainViewBg(const platform::Services& services);
  ~MainViewBg() override;
  MainViewBg(const MainViewBg&) = delete;
  MainViewBg& operator=(const MainViewBg&) = delete;

  // Creates the window, initialises it and runs it until it closes.
  void DoModal();

  void Minimize();
  void PostClose();

  // WindowEvents.
  void OnPaint(platform::Canvas& canvas) override;
  void OnMouseDown(int x, int y) override;
  void OnMouseUp(int x, int y) override;
  bool OnKeyDown(platform::Key key) override;
  void OnCommand(platform::PanelCommand command) override;

  CTavrDlg* Panel() const { return m_pPanel.get(); }
  const DesignScale& Scale() const { return m_designScale; }

 private:
  bool OnInitDialog();
  void DrawLayeredBackground();

  const platform::Services& services_;
  DesignScale m_designScale;
  std::unique_ptr<platform::Picture> m_pBgImage;
  std::unique_ptr<CTavrDlg> m_pPanel;
  // Declared last: closed first, so the panel outlives every window call.
  std::unique_ptr<platform::LauncherWindow> window_;
};
