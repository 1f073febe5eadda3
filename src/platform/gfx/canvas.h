// TCanvas: the drawing surface a control paints on, with its Font, Brush and Pen.
//
// A canvas draws through its own device context (Handle()), which the window layer points at
// a surface with SetTarget: the canvas's (0, 0) lands on the surface at Origin and nothing is
// drawn outside Clip (canvas coordinates). Without a target the canvas still measures text
// with its font, so a control's canvas measures outside painting too. Before each call the
// canvas hands its Font, Brush and Pen to the context, as the framework's canvas does, so the
// GDI-style calls on Handle() draw with them as well.
#pragma once

#include <memory>
#include <string>

#include "platform/base/classes.h"
#include "platform/base/geometry.h"
#include "platform/gfx/gdi.h"
#include "platform/gfx/graphics.h"

namespace vcl {

class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;
  std::string ClassName() const override { return "TCanvas"; }

  // ---- Target
  // Draws into Surface with the canvas's (0, 0) at Origin (surface pixels), clipped to Clip
  // (canvas coordinates) and to the surface.
  void SetTarget(TSurface* Surface, TPoint Origin, const TRect& Clip);
  // Back to measuring only.
  void ClearTarget();
  // Draws where DC draws (its surface, origin and clip), as when a painting context is handed
  // to the canvas; nullptr goes back to measuring. DC stays its owner's; the canvas keeps
  // its own context with its own font, brush and pen.
  void SetHandle(HDC DC);
  TSurface* Surface() const { return FDC->Surface; }
  // The clip rectangle in canvas coordinates (empty when there is no target).
  TRect ClipRect() const;
  // The device context, with the canvas's font, brush and pen selected.
  HDC Handle();

  // ---- Tools
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
  TPen* Pen() const { return FPen.get(); }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  TPoint PenPos() const { return FDC->PenPos; }
  void SetPenPos(TPoint Value) { FDC->PenPos = Value; }
  // ETO_RTLREADING for right-to-left reading, 0 otherwise (the control's UpdateTextFlags sets it).
  UINT TextFlags() const { return FTextFlags; }
  void SetTextFlags(UINT Value) { FTextFlags = Value; }

  // ---- Drawing
  // Fills R with the brush (nothing with a clear brush).
  void FillRect(const TRect& R);
  // A one-pixel frame inside R in the brush colour.
  void FrameRect(const TRect& R);
  // A pen outline inside (X1, Y1)-(X2, Y2), right and bottom excluded, filled with the brush.
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
  void MoveTo(int X, int Y);
  // A line from the pen position to (X, Y), the end point excluded.
  void LineTo(int X, int Y);
  // Text with its cell's top-left at (X, Y) in the font colour; a solid brush fills the text's
  // cell with the brush colour, a clear brush leaves the background. The pen moves to the
  // text's end.
  void TextOut(int X, int Y, const std::string& Text);
  // Fills R with the brush (unless it is clear) and draws Text at (X, Y) clipped to R.
  void TextRect(const TRect& R, int X, int Y, const std::string& Text);
  int TextWidth(const std::string& Text);
  int TextHeight(const std::string& Text);
  TSize TextExtent(const std::string& Text);
  // The dotted inverting focus rectangle; drawing it twice restores every pixel.
  void DrawFocusRect(const TRect& R);

  // ---- Pixels (clNone outside the clip or without a target)
  TColor Pixels(int X, int Y) const;
  void SetPixels(int X, int Y, TColor Color);

 private:
  // Puts the font, brush and pen into the device context.
  void Sync(bool NeedFont, bool NeedBrush, bool NeedPen);
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<TPen> FPen;
  HDC FDC;
  UINT FTextFlags = 0;
  // The last resolution of FFont and the description it was made for.
  HFONT FFontHandle = nullptr;
  std::string FResolvedName;
  int FResolvedHeight = 0;
  TFontStyles FResolvedStyle;
  TFontPitch FResolvedPitch = fpDefault;
};

}  // namespace vcl
