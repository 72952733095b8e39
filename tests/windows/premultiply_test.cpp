#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/win32/premultiply.h"

namespace {

TEST(PremultiplyAlpha, ColoursScaleByAlphaTruncatedAndAlphaStays) {
  std::vector<std::uint8_t> pixels = {
      255, 128, 1,  255,  // opaque: unchanged
      255, 128, 1,  0,    // transparent: black
      255, 128, 3,  128,  // 255*128/255=128, 128*128/255=64.25, 3*128/255=1.5
      200, 100, 50, 1,    // 200/255 truncates to 0
  };
  platform::PremultiplyAlpha(pixels.data(), 4);
  EXPECT_EQ(pixels,
            (std::vector<std::uint8_t>{255, 128, 1, 255, 0, 0, 0, 0, 128, 64, 1, 128, 0, 0, 0, 1}));
}

}  // namespace
