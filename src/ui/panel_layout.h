// Where the launcher's parts lie: design values on the 1200 x 700 canvas,
// each turned into pixels with one window's scale.
#pragma once

#include "core/display_scale.h"
#include "platform/geometry.h"

// The canvas both windows are designed on.
inline constexpr int kDesignWidth = 1200;
inline constexpr int kDesignHeight = 700;

// Length in design units of the progress bar for `progress` percent:
// progress x full / 100, truncated, kept within 1..full.
int ProgressBarLength(int progress, int fullLength);

enum class PanelPart { None, Browser, Close, ClearCache };

class PanelLayout {
 public:
  explicit PanelLayout(const DesignScale& scale) : scale_(scale) {}

  platform::Rect Window() const;
  platform::Rect Browser() const;
  platform::Rect CloseControl() const;
  platform::Rect ClearCacheControl() const;
  platform::Rect ProgressStrip() const;
  platform::Rect StatusLine() const;
  // The painted bar for `progress` percent, from the strip's corner.
  platform::Rect ProgressBar(int progress) const;
  // The panel's visible part under x, y; None where it is see-through.
  PanelPart HitTest(int x, int y) const;

 private:
  platform::Rect Scaled(int x, int y, int width, int height) const;

  const DesignScale& scale_;
};
