#pragma once

#include <algorithm>
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

// The paper every sheet is laid out on: B4 (JIS).
inline constexpr long double kPageWidthMm = 257;
inline constexpr long double kPageHeightMm = 364;

// Where the drawing of a printed page lands: the device pixel drawn at (x, y) goes to
// (Scale * x + Dx, Scale * y + Dy). Pens and text scale with it.
struct PageTransform {
  long double Scale = 1;
  long double Dx = 0;
  long double Dy = 0;

  bool IsIdentity() const { return Scale == 1 && Dx == 0 && Dy == 0; }
};

// The whole B4 page at `pixelsPerInch`, scaled uniformly to the largest size that fits a
// printable area of `printable` device pixels and centred in it. On B4 paper (`paper`
// within a millimetre of it) the page stays as laid out, whatever the margins; so it does
// when the sizes are not known.
inline PageTransform FitPageTransform(PixelPair pixelsPerInch, PixelPair paper,
                                      PixelPair printable) {
  const long double pageW = kPageWidthMm / 25.4L * pixelsPerInch.first;
  const long double pageH = kPageHeightMm / 25.4L * pixelsPerInch.second;
  const long double mmX = pixelsPerInch.first / 25.4L;
  const long double mmY = pixelsPerInch.second / 25.4L;
  auto near = [](long double a, long double b, long double tolerance) {
    return a - b <= tolerance && b - a <= tolerance;
  };
  if (pageW <= 0 || pageH <= 0 || printable.first <= 0 || printable.second <= 0 ||
      (near(paper.first, pageW, mmX) && near(paper.second, pageH, mmY))) {
    return {};
  }
  const long double scale = std::min(printable.first / pageW, printable.second / pageH);
  return {scale, (printable.first - scale * pageW) / 2, (printable.second - scale * pageH) / 2};
}

}  // namespace tamariko
