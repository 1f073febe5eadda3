// Small helpers for reading pixels back in the drawing tests.
#pragma once

#include <algorithm>

#include "platform/gfx/surface.h"

namespace gfxtest {

// Number of pixels in R whose colour is (or, with Equal false, is not) Color.
inline int CountPixels(const vcl::TSurface& S, const vcl::TRect& R, vcl::TColor Color, bool Equal = true) {
  const vcl::TColor c = vcl::ColorToRGB(Color);
  int n = 0;
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x)
      if ((S.Pixel(x, y) == c) == Equal) ++n;
  return n;
}

// The smallest rectangle holding every pixel that differs from Background (empty if none).
inline vcl::TRect InkBounds(const vcl::TSurface& S, vcl::TColor Background) {
  const vcl::TColor bg = vcl::ColorToRGB(Background);
  vcl::TRect r{S.Width(), S.Height(), 0, 0};
  for (int y = 0; y < S.Height(); ++y)
    for (int x = 0; x < S.Width(); ++x)
      if (S.Pixel(x, y) != bg) {
        r.Left = std::min(r.Left, x);
        r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x + 1);
        r.Bottom = std::max(r.Bottom, y + 1);
      }
  return r.IsEmpty() ? vcl::TRect{} : r;
}

}  // namespace gfxtest
