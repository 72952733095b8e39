#include "platform/win32/premultiply.h"

namespace platform {

void PremultiplyAlpha(std::uint8_t* pixels, std::size_t pixelCount) {
  for (std::size_t i = 0; i < pixelCount; ++i) {
    std::uint8_t* pixel = pixels + i * 4;
    unsigned alpha = pixel[3];
    for (int channel = 0; channel < 3; ++channel) {
      pixel[channel] = static_cast<std::uint8_t>(pixel[channel] * alpha / 255);
    }
  }
}

}  // namespace platform
