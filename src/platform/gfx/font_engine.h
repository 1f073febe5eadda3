// The font engine: faces found through fontconfig, opened with FreeType, sized the way the
// classic system sizes them, with their text metrics and a cache of rendered glyphs.
//
// A TFontResource is what a font handle (HFONT) points at. Resources are made on demand from
// a font description (name, height, style, pitch), cached for the life of the program and
// owned by the engine, so a handle stays valid after the TFont that produced it is gone and
// never needs deleting. Text is bytes in Windows-1252; each byte maps to one glyph.
//
// Sizing: a negative height is the em height in pixels; a positive one is the cell height
// (ascent + descent); 0 means the default font's height. Ascent and descent come from the
// face's Windows metrics (OS/2 usWinAscent/usWinDescent), each rounded on its own, so DejaVu
// Sans at -11 has a 10 + 3 = 13 pixel cell. Glyphs are hinted and advance by whole pixels;
// there is no kerning, so the width of a text is the sum of its characters' widths.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/graphics.h"

struct FT_FaceRec_;

namespace vcl {

// The base of every object a GDI-style handle can point at (fonts, brushes).
struct TGdiObject {
  TGdiObject() = default;
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;
  virtual ~TGdiObject() = default;
};

// One rendered glyph: an 8-bit coverage bitmap placed relative to the pen on the baseline.
struct TGlyph {
  int Width = 0;                       // bitmap columns
  int Rows = 0;                        // bitmap rows
  int Left = 0;                        // bitmap's left edge relative to the pen
  int Top = 0;                         // bitmap's top row above the baseline (positive = up)
  int Advance = 0;                     // whole pixels the pen moves
  std::vector<std::uint8_t> Coverage;  // Rows x Width, 0 = background, 255 = ink
};

// Metrics in pixels, named as the system's text metrics are.
struct TFontMetrics {
  int Height = 0;  // Ascent + Descent: the cell height
  int Ascent = 0;
  int Descent = 0;
  int InternalLeading = 0;  // Height minus the em height
  int ExternalLeading = 0;
  int AveCharWidth = 0;  // width of "x"
  int MaxCharWidth = 0;  // widest Windows-1252 character
  int Weight = 400;      // 400 regular, 700 bold
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  int UnderlineOffset = 0;  // pixels below the baseline of the underline's top row
  int UnderlineThickness = 1;
  int StrikeOutOffset = 0;  // pixels above the baseline of the strike-out's top row
};

class TFontResource : public TGdiObject {
 public:
  // Opens the face in File (collection index Index) at the given height; raises Exception
  // when FreeType cannot open it. Embolden/Slant synthesise a style the face lacks.
  TFontResource(const std::string& File, int Index, int Height, TFontStyles Style);
  ~TFontResource() override;

  const TFontMetrics& Metrics() const { return FMetrics; }
  // The family and the file that the description resolved to.
  const std::string& FamilyName() const { return FFamily; }
  const std::string& FileName() const { return FFile; }
  // The rendered glyph of a Windows-1252 byte (cached).
  const TGlyph& Glyph(unsigned char Ch);
  int CharWidth(unsigned char Ch) { return Glyph(Ch).Advance; }
  int TextWidth(std::string_view Text);
  // True when the face has a real glyph for the byte (not the missing-glyph box).
  bool HasGlyph(unsigned char Ch) const;

 private:
  FT_FaceRec_* FFace = nullptr;
  std::string FFamily;
  std::string FFile;
  bool FEmbolden = false;
  bool FSlant = false;
  TFontMetrics FMetrics;
  std::array<std::unique_ptr<TGlyph>, 256> FGlyphs;
};

using HFONT = TFontResource*;

// The Unicode character a Windows-1252 byte stands for (0x80-0x9F through the code page's
// table; its five unassigned bytes map to the same code point, as the system maps them).
char32_t Cp1252ToUnicode(unsigned char Ch);

// The cached resource for a description. A family fontconfig does not know falls back to
// DejaVu Sans (DejaVu Sans Mono for a fixed pitch) in the requested style.
HFONT ResolveFont(const std::string& Name, int Height, TFontStyles Style, TFontPitch Pitch = fpDefault);
// The default font: DejaVu Sans at 8 points (height -11).
HFONT DefaultFont();

}  // namespace vcl
