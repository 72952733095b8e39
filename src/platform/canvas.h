// Drawing on the panel while it paints.
#pragma once

#include <cstdint>
#include <string>

#include "platform/geometry.h"
#include "platform/picture.h"

namespace platform {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const Rgb& other) const {
    return red == other.red && green == other.green && blue == other.blue;
  }
};

class Canvas {
 public:
  virtual ~Canvas() = default;
  // The whole picture stretched into `destination`, alpha-blended over it.
  virtual void DrawPicture(const Picture& picture, const Rect& destination) = 0;
  // One line of text, left-aligned and vertically centred in `box`, with no
  // background of its own.
  virtual void DrawTextLine(const std::wstring& text, const Rect& box, Rgb colour) = 0;
};

}  // namespace platform
