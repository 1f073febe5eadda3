#include "platform/gfx/graphics.h"

#include <cmath>

namespace vcl {

TColor ColorToRGB(TColor Color) {
  // The classic (Windows standard) palette, indexed by the system colour number.
  static const TColor palette[] = {
      RGB(0xC0, 0xC0, 0xC0),  //  0 scroll bar
      RGB(0x00, 0x80, 0x80),  //  1 desktop
      RGB(0x00, 0x00, 0x80),  //  2 active caption
      RGB(0x80, 0x80, 0x80),  //  3 inactive caption
      RGB(0xC0, 0xC0, 0xC0),  //  4 menu
      RGB(0xFF, 0xFF, 0xFF),  //  5 window
      RGB(0x00, 0x00, 0x00),  //  6 window frame
      RGB(0x00, 0x00, 0x00),  //  7 menu text
      RGB(0x00, 0x00, 0x00),  //  8 window text
      RGB(0xFF, 0xFF, 0xFF),  //  9 caption text
      RGB(0xC0, 0xC0, 0xC0),  // 10 active border
      RGB(0xC0, 0xC0, 0xC0),  // 11 inactive border
      RGB(0x80, 0x80, 0x80),  // 12 application workspace
      RGB(0x00, 0x00, 0x80),  // 13 highlight
      RGB(0xFF, 0xFF, 0xFF),  // 14 highlight text
      RGB(0xC0, 0xC0, 0xC0),  // 15 button face
      RGB(0x80, 0x80, 0x80),  // 16 button shadow
      RGB(0x80, 0x80, 0x80),  // 17 grey text
      RGB(0x00, 0x00, 0x00),  // 18 button text
      RGB(0xC0, 0xC0, 0xC0),  // 19 inactive caption text
      RGB(0xFF, 0xFF, 0xFF),  // 20 button highlight
      RGB(0x00, 0x00, 0x00),  // 21 3-D dark shadow
      RGB(0xDF, 0xDF, 0xDF),  // 22 3-D light
      RGB(0x00, 0x00, 0x00),  // 23 info text
      RGB(0xFF, 0xFF, 0xE1),  // 24 info background
  };
  if (Color < 0) {
    const int index = Color & 0xFF;
    if (index < static_cast<int>(sizeof palette / sizeof palette[0])) return palette[index];
    return clBlack;
  }
  return Color & 0xFFFFFF;
}

void ChangeBiDiModeAlignment(TAlignment& Alignment) {
  if (Alignment == taLeftJustify)
    Alignment = taRightJustify;
  else if (Alignment == taRightJustify)
    Alignment = taLeftJustify;
}

// ---------------------------------------------------------------------------------------------
// TFont
// ---------------------------------------------------------------------------------------------

TFont::TFont() = default;

void TFont::Changed() {
  if (FOnChange) FOnChange(this);
}

void TFont::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TFont*>(Source);
  if (!other) return TPersistent::Assign(Source);
  if (SameAs(*other)) return;
  FName = other->FName;
  FHeight = other->FHeight;
  FColor = other->FColor;
  FStyle = other->FStyle;
  FPitch = other->FPitch;
  Changed();
}

bool TFont::SameAs(const TFont& Other) const {
  return FName == Other.FName && FHeight == Other.FHeight && FColor == Other.FColor &&
         FStyle == Other.FStyle && FPitch == Other.FPitch;
}

void TFont::SetName(const std::string& Value) {
  if (Value.empty() || Value == FName) return;
  FName = Value;
  Changed();
}

int TFont::Size() const {
  if (FHeight < 0) return static_cast<int>(std::lround(-FHeight * 72.0 / FPixelsPerInch));
  return static_cast<int>(std::lround(FHeight * 72.0 / FPixelsPerInch));
}

void TFont::SetSize(int Value) {
  SetHeight(-static_cast<int>(std::lround(Value * FPixelsPerInch / 72.0)));
}

void TFont::SetHeight(int Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  Changed();
}

void TFont::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
}

void TFont::SetStyle(TFontStyles Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TFont::SetPitch(TFontPitch Value) {
  if (Value == FPitch) return;
  FPitch = Value;
  Changed();
}

// ---------------------------------------------------------------------------------------------
// TBrush and TPen
// ---------------------------------------------------------------------------------------------

void TBrush::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TBrush*>(Source);
  if (!other) return TPersistent::Assign(Source);
  if (FColor == other->FColor && FStyle == other->FStyle) return;
  FColor = other->FColor;
  FStyle = other->FStyle;
  if (FOnChange) FOnChange(this);
}

void TBrush::SetColor(TColor Value) {
  if (Value == FColor && FStyle == bsSolid) return;
  FColor = Value;
  FStyle = bsSolid;  // giving a brush a colour makes it solid, as on the real framework
  if (FOnChange) FOnChange(this);
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  if (FOnChange) FOnChange(this);
}

void TPen::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TPen*>(Source);
  if (!other) return TPersistent::Assign(Source);
  FColor = other->FColor;
  FWidth = other->FWidth;
  FStyle = other->FStyle;
  if (FOnChange) FOnChange(this);
}

void TPen::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  if (FOnChange) FOnChange(this);
}

void TPen::SetWidth(int Value) {
  if (Value == FWidth || Value < 1) return;
  FWidth = Value;
  if (FOnChange) FOnChange(this);
}

void TPen::SetStyle(TPenStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  if (FOnChange) FOnChange(this);
}

}  // namespace vcl
