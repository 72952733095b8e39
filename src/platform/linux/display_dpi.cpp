#include "platform/linux/display_dpi.h"

#include <gdk/gdk.h>

#include <cmath>

namespace platform {

int DisplayDpi() {
  if (gdk_display_get_default() == nullptr) return 96;
  GdkScreen* screen = gdk_screen_get_default();
  double dpi = screen != nullptr ? gdk_screen_get_resolution(screen) : -1.0;
  return dpi > 0 ? static_cast<int>(std::lround(dpi)) : 96;
}

}  // namespace platform
