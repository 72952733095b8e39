// Pixel rectangles of the launcher's windows.
#pragma once

namespace platform {

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  bool Contains(int px, int py) const {
    return px >= x && py >= y && px - x < width && py - y < height;
  }
  bool operator==(const Rect& other) const {
    return x == other.x && y == other.y && width == other.width && height == other.height;
  }
};

// Where a width x height window goes when centred on `area`; a window larger
// than the area keeps to the area's top-left corner.
inline Rect CenterIn(const Rect& area, int width, int height) {
  int x = area.x + (area.width - width) / 2;
  int y = area.y + (area.height - height) / 2;
  return {x < area.x ? area.x : x, y < area.y ? area.y : y, width, height};
}

}  // namespace platform
