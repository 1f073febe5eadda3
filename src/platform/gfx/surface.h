// TSurface: a rectangle of pixels that device contexts and canvases draw into.
//
// A pixel is a resolved colour, 0x00BBGGRR (the layout of TColor), so what a test reads back
// with Pixel() compares directly with ColorToRGB(clBtnFace) and friends. Every access is
// bounds-checked: writes outside the surface are dropped, reads outside it return clBlack.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/base/geometry.h"
#include "platform/gfx/graphics.h"

namespace vcl {

class TSurface {
 public:
  TSurface() = default;
  // A Width x Height surface filled with Fill (a system colour is resolved).
  TSurface(int Width, int Height, TColor Fill = clWhite);

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  TRect BoundsRect() const { return TRect{0, 0, FWidth, FHeight}; }
  // Changes the size; the new pixels hold Fill, the old content is dropped.
  void Resize(int Width, int Height, TColor Fill = clWhite);

  TColor Pixel(int X, int Y) const;
  void SetPixel(int X, int Y, TColor Color);
  // Mixes Color over the pixel with Alpha (0 keeps the pixel, 255 replaces it).
  void BlendPixel(int X, int Y, TColor Color, int Alpha);
  // Inverts the pixel (each channel becomes 255 - value), as an XOR with white.
  void InvertPixel(int X, int Y);
  // Fills the part of R that lies on the surface.
  void Fill(const TRect& R, TColor Color);

  // The pixels, row after row, each row Width() long.
  const std::vector<std::uint32_t>& Data() const { return FPixels; }
  friend bool operator==(const TSurface&, const TSurface&) = default;

 private:
  bool Inside(int X, int Y) const { return X >= 0 && Y >= 0 && X < FWidth && Y < FHeight; }
  int FWidth = 0;
  int FHeight = 0;
  std::vector<std::uint32_t> FPixels;
};

}  // namespace vcl
