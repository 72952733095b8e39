// What the game launch does to the windows: the panel ends, the background
// window closes, and the status line may say why nothing started.
#pragma once

#include <string>

class PanelEffects {
 public:
  virtual ~PanelEffects() = default;
  virtual void EndPanel() = 0;
  virtual void CloseBackground() = 0;
  virtual void SetStatusText(const std::wstring& text) = 0;
};
