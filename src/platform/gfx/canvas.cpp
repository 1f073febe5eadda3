#include "platform/gfx/canvas.h"

namespace vcl {

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()),
      FBrush(std::make_unique<TBrush>()),
      FPen(std::make_unique<TPen>()),
      FDC(CreateMeasureDC()) {}

TCanvas::~TCanvas() {
  DeleteDC(FDC);
}

void TCanvas::SetTarget(TSurface* Surface, TPoint Origin, const TRect& Clip) {
  FDC->Surface = Surface;
  FDC->Origin = Origin;
  FDC->Clip = Clip;
}

void TCanvas::ClearTarget() {
  SetTarget(nullptr, {}, {});
}

void TCanvas::SetHandle(HDC DC) {
  if (!DC) return ClearTarget();
  SetTarget(DC->Surface, DC->Origin, DC->Clip);
}

TRect TCanvas::ClipRect() const {
  return FDC->Surface ? FDC->Clip : TRect{};
}

HDC TCanvas::Handle() {
  Sync(true, true, true);
  return FDC;
}

void TCanvas::Sync(bool NeedFont, bool NeedBrush, bool NeedPen) {
  if (NeedFont) {
    if (!FFontHandle || FResolvedName != FFont->Name() || FResolvedHeight != FFont->Height() ||
        !(FResolvedStyle == FFont->Style()) || FResolvedPitch != FFont->Pitch()) {
      FFontHandle = FFont->Handle();
      FResolvedName = FFont->Name();
      FResolvedHeight = FFont->Height();
      FResolvedStyle = FFont->Style();
      FResolvedPitch = FFont->Pitch();
    }
    FDC->Font = FFontHandle;
    FDC->TextColor = FFont->Color();
  }
  if (NeedBrush) {
    FDC->BkColor = FBrush->Color();
    FDC->BkMode = FBrush->Style() == bsClear ? TRANSPARENT : OPAQUE;
  }
  if (NeedPen) {
    FDC->PenColor = FPen->Color();
    FDC->PenStyle = FPen->Style();
  }
}

void TCanvas::FillRect(const TRect& R) {
  if (FBrush->Style() == bsClear) return;
  vcl::FillRect(FDC, R, FBrush->Color());
}

void TCanvas::FrameRect(const TRect& R) {
  if (FBrush->Style() == bsClear) return;
  vcl::FrameRect(FDC, R, FBrush->Color());
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  const TRect r{X1, Y1, X2, Y2};
  if (FPen->Style() == psClear) return FillRect(r);
  FillRect(TRect{X1 + 1, Y1 + 1, X2 - 1, Y2 - 1});
  if (FPen->Style() == psSolid) return void(vcl::FrameRect(FDC, r, FPen->Color()));
  Sync(false, false, true);
  const TPoint saved = FDC->PenPos;
  MoveToEx(FDC, X1, Y1, nullptr);
  vcl::LineTo(FDC, X2 - 1, Y1);
  vcl::LineTo(FDC, X2 - 1, Y2 - 1);
  vcl::LineTo(FDC, X1, Y2 - 1);
  vcl::LineTo(FDC, X1, Y1);
  FDC->PenPos = saved;
}

void TCanvas::MoveTo(int X, int Y) {
  MoveToEx(FDC, X, Y, nullptr);
}

void TCanvas::LineTo(int X, int Y) {
  Sync(false, false, true);
  vcl::LineTo(FDC, X, Y);
}

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
  Sync(true, true, false);
  ExtTextOutA(FDC, X, Y, FTextFlags, nullptr, Text.data(), static_cast<int>(Text.size()));
  MoveTo(X + TextWidth(Text), Y);
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const std::string& Text) {
  Sync(true, true, false);
  UINT options = ETO_CLIPPED | FTextFlags;
  if (FBrush->Style() != bsClear) options |= ETO_OPAQUE;
  ExtTextOutA(FDC, X, Y, options, &R, Text.data(), static_cast<int>(Text.size()));
}

int TCanvas::TextWidth(const std::string& Text) {
  return TextExtent(Text).cx;
}
int TCanvas::TextHeight(const std::string& Text) {
  return TextExtent(Text).cy;
}

TSize TCanvas::TextExtent(const std::string& Text) {
  Sync(true, false, false);
  return vcl::TextExtent(FDC, Text);
}

void TCanvas::DrawFocusRect(const TRect& R) {
  vcl::DrawFocusRect(FDC, R);
}

TColor TCanvas::Pixels(int X, int Y) const {
  return GetPixel(FDC, X, Y);
}

void TCanvas::SetPixels(int X, int Y, TColor Color) {
  SetPixel(FDC, X, Y, Color);
}

}  // namespace vcl
