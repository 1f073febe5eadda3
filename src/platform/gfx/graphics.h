// Colours and the graphic descriptors that controls carry: TFont, TBrush and TPen.
//
// These objects only describe; the font engine and TCanvas turn them into pixels. Each fires
// OnChange after a real change of one of its properties (never when a setter gets the value
// it already has), which is how a control learns that its font changed.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/classes.h"
#include "platform/base/set.h"

namespace vcl {

// 0x00BBGGRR for a plain colour; 0x800000nn for the system colour with index nn.
using TColor = std::int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;

constexpr TColor SystemColor(int Index) {
  return static_cast<TColor>(0x80000000u | static_cast<unsigned>(Index));
}
constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// Resolves a system colour through the platform's fixed classic palette; a plain colour is
// returned as it is (without its high byte).
TColor ColorToRGB(TColor Color);
// The RGB parts of a resolved colour.
inline std::uint8_t GetRValue(TColor C) {
  return static_cast<std::uint8_t>(C & 0xFF);
}
inline std::uint8_t GetGValue(TColor C) {
  return static_cast<std::uint8_t>((C >> 8) & 0xFF);
}
inline std::uint8_t GetBValue(TColor C) {
  return static_cast<std::uint8_t>((C >> 16) & 0xFF);
}
inline TColor RGB(int R, int G, int B) {
  return static_cast<TColor>((R & 0xFF) | ((G & 0xFF) << 8) | ((B & 0xFF) << 16));
}

// Mirrors an alignment for right-to-left reading: left and right swap, centre stays.
void ChangeBiDiModeAlignment(TAlignment& Alignment);

// A font resource of the font engine; HFONT is the handle the GDI-style calls take.
class TFontResource;
using HFONT = TFontResource*;

enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using enum TFontStyle;
using TFontStyles = Set<TFontStyle>;

enum class TFontPitch { fpDefault, fpVariable, fpFixed };
using enum TFontPitch;

// A font: face name, size (points) or height (pixels, negative = character height), colour
// and style. Size and Height are two views of one value at PixelsPerInch (96):
// Height = -round(Size * 96 / 72), Size = -round(Height * 72 / 96) for a negative Height.
class TFont : public TPersistent {
 public:
  TFont();
  std::string ClassName() const override { return "TFont"; }
  void Assign(TPersistent* Source) override;

  const std::string& Name() const { return FName; }
  void SetName(const std::string& Value);
  int Size() const;
  void SetSize(int Value);
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch Value);
  int PixelsPerInch() const { return FPixelsPerInch; }

  // True when every property equals the other font's.
  bool SameAs(const TFont& Other) const;
  // The font resource this description resolves to (cached by the font engine, valid for the
  // life of the program; never delete it). Needs the gfx layer's font engine.
  HFONT Handle() const;

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }

  static constexpr const char* DefaultName = "DejaVu Sans";
  static constexpr int DefaultHeight = -11;  // 8 points at 96 DPI

 protected:
  void Changed();

 private:
  std::string FName = DefaultName;
  int FHeight = DefaultHeight;
  TColor FColor = clWindowText;
  TFontStyles FStyle;
  TFontPitch FPitch = fpDefault;
  int FPixelsPerInch = 96;
  TNotifyEvent FOnChange;
};

enum class TBrushStyle { bsSolid, bsClear };
using enum TBrushStyle;

class TBrush : public TPersistent {
 public:
  std::string ClassName() const override { return "TBrush"; }
  void Assign(TPersistent* Source) override;
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle Value);
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }

 private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
  TNotifyEvent FOnChange;
};

enum class TPenStyle { psSolid, psDot, psClear };
using enum TPenStyle;

class TPen : public TPersistent {
 public:
  std::string ClassName() const override { return "TPen"; }
  void Assign(TPersistent* Source) override;
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }

 private:
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
  TNotifyEvent FOnChange;
};

}  // namespace vcl
