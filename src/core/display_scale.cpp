#include "core/display_scale.h"

#include "platform/environment.h"

int GetDisplayScalePercent(const platform::Environment& environment) {
  return static_cast<int>(environment.LogicalDpiX() / 96.0 * 100.0);
}
