#include "platform/gfx/surface.h"

#include <algorithm>

namespace vcl {

TSurface::TSurface(int Width, int Height, TColor Fill) {
  Resize(Width, Height, Fill);
}

void TSurface::Resize(int Width, int Height, TColor Fill) {
  FWidth = std::max(0, Width);
  FHeight = std::max(0, Height);
  FPixels.assign(static_cast<std::size_t>(FWidth) * FHeight, static_cast<std::uint32_t>(ColorToRGB(Fill)));
}

TColor TSurface::Pixel(int X, int Y) const {
  if (!Inside(X, Y)) return clBlack;
  return static_cast<TColor>(FPixels[static_cast<std::size_t>(Y) * FWidth + X]);
}

void TSurface::SetPixel(int X, int Y, TColor Color) {
  if (!Inside(X, Y)) return;
  FPixels[static_cast<std::size_t>(Y) * FWidth + X] = static_cast<std::uint32_t>(ColorToRGB(Color));
}

void TSurface::BlendPixel(int X, int Y, TColor Color, int Alpha) {
  if (!Inside(X, Y) || Alpha <= 0) return;
  if (Alpha >= 255) return SetPixel(X, Y, Color);
  const TColor src = ColorToRGB(Color);
  std::uint32_t& dst = FPixels[static_cast<std::size_t>(Y) * FWidth + X];
  const auto mix = [&](int shift) {
    const int d = static_cast<int>((dst >> shift) & 0xFF);
    const int s = (src >> shift) & 0xFF;
    return static_cast<std::uint32_t>((s * Alpha + d * (255 - Alpha) + 127) / 255) << shift;
  };
  dst = mix(0) | mix(8) | mix(16);
}

void TSurface::InvertPixel(int X, int Y) {
  if (!Inside(X, Y)) return;
  FPixels[static_cast<std::size_t>(Y) * FWidth + X] ^= 0xFFFFFFu;
}

void TSurface::Fill(const TRect& R, TColor Color) {
  const int left = std::max(R.Left, 0), right = std::min(R.Right, FWidth);
  const int top = std::max(R.Top, 0), bottom = std::min(R.Bottom, FHeight);
  if (left >= right || top >= bottom) return;
  const auto value = static_cast<std::uint32_t>(ColorToRGB(Color));
  for (int y = top; y < bottom; ++y) {
    auto row = FPixels.begin() + static_cast<std::ptrdiff_t>(y) * FWidth;
    std::fill(row + left, row + right, value);
  }
}

}  // namespace vcl
