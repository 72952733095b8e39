#include "core/display_scale.h"

#include "platform/environment.h"

int GetDisplayScalePercent(const platform::Environment& environment) {
  // A screen that cannot be asked counts as the design's.
  int dpi = environment.LogicalDpiX().value_or(kDesignDpi);
  return static_cast<int>(dpi / static_cast<double>(kDesignDpi) * 100.0);
}
