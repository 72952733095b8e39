// AlphaBlend and UpdateLayeredWindow expect colours already multiplied by
// their alpha.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Pixels of four bytes (blue, green, red, alpha): each colour byte becomes
// byte x alpha / 255, truncated.
void PremultiplyAlpha(std::uint8_t* pixels, std::size_t pixelCount);

}  // namespace platform
