#pragma once

#include <cstdint>
#include <utility>

namespace tamariko {

// Millimetres on the page to device pixels: X(mm) = Trunc(mm * ScaleX - ShiftX).
// Positions are summed in millimetres first and scaled in extended precision.
struct PageMapping {
  long double ScaleX = 0;
  long double ScaleY = 0;
  std::int32_t ShiftX = 0;
  std::int32_t ShiftY = 0;

  std::int32_t X(long double mm) const { return static_cast<std::int32_t>(mm * ScaleX - ShiftX); }
  std::int32_t Y(long double mm) const { return static_cast<std::int32_t>(mm * ScaleY - ShiftY); }
};

using PixelPair = std::pair<std::int32_t, std::int32_t>;

// The printer page: printer pixels, 42 and 52 pixels in from the printable area's corner.
inline PageMapping PrintMapping(PixelPair pixelsPerInch, PixelPair pageOffset) {
  return {pixelsPerInch.first / 25.4L, pixelsPerInch.second / 25.4L, pageOffset.first + 42,
          pageOffset.second + 52};
}

// The preview image: a quarter of the printer's pixels per millimetre. The offsets are taken
// as they are, in printer pixels.
inline PageMapping PreviewMapping(PixelPair pixelsPerInch, PixelPair pageOffset) {
  return {pixelsPerInch.first / 25.4L / 2 / 2, pixelsPerInch.second / 25.4L / 2 / 2,
          pageOffset.first, pageOffset.second + 10};
}

}  // namespace tamariko
