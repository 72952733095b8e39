// The window calls the update workers make on the panel. Implementations run
// them on the user-interface thread and wait for them (as SendMessage would);
// once the panel's window has gone they do nothing.
#pragma once

#include <string>

class PanelView {
 public:
  virtual ~PanelView() = default;
  // The status line (control 1018).
  virtual void SetStatusText(const std::wstring& text) = 0;
  // The progress strip (control 1012), whose position anchors the bar.
  virtual void ShowProgressStrip(bool show) = 0;
  // Repaint the whole panel, erasing first. Implementations may coalesce
  // requests that arrive before the previous one was painted.
  virtual void Invalidate() = 0;
};
