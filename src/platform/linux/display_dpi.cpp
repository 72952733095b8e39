#include "platform/linux/display_dpi.h"

#include <gdk/gdk.h>

#include <cmath>

namespace platform {

std::optional<int> DisplayDpi() {
  if (gdk_display_get_default() == nullptr) return std::nullopt;
  GdkScreen* screen = gdk_screen_get_default();
  double dpi = screen != nullptr ? gdk_screen_get_resolution(screen) : -1.0;
  if (dpi <= 0) return std::nullopt;
  return static_cast<int>(std::lround(dpi));
}

}  // namespace platform
