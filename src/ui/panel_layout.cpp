#include "ui/panel_layout.h"

#include "core/panel_state.h"

int ProgressBarLength(int progress, int fullLength) {
  // Wide arithmetic: the writer does not limit `progress`, and the product
  // must not overflow.
  long long length = static_cast<long long>(progress) * fullLength / 100;
  if (length < 1) return 1;
  if (length > fullLength) return fullLength;
  return static_cast<int>(length);
}

platform::Rect PanelLayout::Scaled(int x, int y, int width, int height) const {
  return {scale_.Scale(x), scale_.Scale(y), scale_.Scale(width), scale_.Scale(height)};
}

platform::Rect PanelLayout::Window() const {
  return Scaled(0, 0, kDesignWidth, kDesignHeight);
}
platform::Rect PanelLayout::Browser() const {
  return Scaled(421, 164, 565, 403);
}
platform::Rect PanelLayout::CloseControl() const {
  return Scaled(1010, 144, 44, 42);
}
platform::Rect PanelLayout::ClearCacheControl() const {
  return Scaled(340, 545, 66, 23);
}
platform::Rect PanelLayout::ProgressStrip() const {
  return Scaled(421, 600, 1, 1);
}
// Where dialog template 102 puts the status line (388, 377, 174, 14 dialog
// units of an 8-point "MS Shell Dlg": 1.5 pixels across, 1.625 down).
platform::Rect PanelLayout::StatusLine() const {
  return Scaled(582, 612, 261, 23);
}

platform::Rect PanelLayout::ProgressBar(int progress) const {
  platform::Rect strip = ProgressStrip();
  int length = ProgressBarLength(progress, PanelState::m_nProgressWidth);
  return {strip.x, strip.y, scale_.Scale(length), scale_.Scale(PanelState::m_nProgressHeight)};
}

PanelPart PanelLayout::HitTest(int x, int y) const {
  if (CloseControl().Contains(x, y)) return PanelPart::Close;
  if (ClearCacheControl().Contains(x, y)) return PanelPart::ClearCache;
  if (Browser().Contains(x, y)) return PanelPart::Browser;
  return PanelPart::None;
}
