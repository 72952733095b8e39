// The window effects of a launch: the real panel and background window
// implement them, tests fake them. Called on the user-interface thread.
#pragma once

#include <string>

class NavigationView {
 public:
  virtual ~NavigationView() = default;
  // Ends the panel with the cancel result.
  virtual void EndPanel() = 0;
  // Posts the close request to the background window, which ends the launcher.
  virtual void CloseBackground() = 0;
  // The status line (control 1018).
  virtual void SetStatusText(const std::wstring& text) = 0;
};
