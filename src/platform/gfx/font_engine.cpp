#include "platform/gfx/font_engine.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "platform/base/sysutils.h"

namespace vcl {

// ---------------------------------------------------------------------------------------------
// Windows-1252
// ---------------------------------------------------------------------------------------------

char32_t Cp1252ToUnicode(unsigned char Ch) {
  static constexpr char16_t high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  if (Ch >= 0x80 && Ch < 0xA0) return high[Ch - 0x80];
  return Ch;
}

// ---------------------------------------------------------------------------------------------
// The engine: FreeType library, fontconfig configuration and the resource cache
// ---------------------------------------------------------------------------------------------

namespace {

class TFontEngine {
 public:
  static TFontEngine& Instance() {
    static TFontEngine engine;  // destroyed at exit: resources, then FreeType and fontconfig
    return engine;
  }
  FT_Library Library() const { return FLibrary; }

  HFONT Resolve(const std::string& Name, int Height, TFontStyles Style, TFontPitch Pitch) {
    if (Height == 0) Height = TFont::DefaultHeight;
    const auto key = std::make_tuple(LowerCase(Name), Height, Style.Bits(), static_cast<int>(Pitch));
    auto it = FCache.find(key);
    if (it != FCache.end()) return it->second.get();
    const bool bold = Style.Contains(fsBold), italic = Style.Contains(fsItalic);
    std::string file, family;
    int index = 0;
    if (!Match(Name, bold, italic, false, file, index, family))
      Match(Pitch == fpFixed ? "DejaVu Sans Mono" : TFont::DefaultName, bold, italic, true, file, index,
            family);
    if (file.empty()) file = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    auto resource = std::make_unique<TFontResource>(file, index, Height, Style);
    HFONT result = resource.get();
    FCache.emplace(key, std::move(resource));
    return result;
  }

 private:
  TFontEngine() {
    if (FT_Init_FreeType(&FLibrary) != 0) throw Exception("Cannot start the font engine");
    FConfig = FcInitLoadConfigAndFonts();
  }
  ~TFontEngine() {
    FCache.clear();  // faces first: they belong to the library
    FT_Done_FreeType(FLibrary);
    if (FConfig) FcConfigDestroy(FConfig);
  }

  // Asks fontconfig for Name in the style. Unless Accept is set, a match of another family is
  // refused (fontconfig always answers with something), so the caller can fall back to a
  // family that is known to cover Windows-1252.
  bool Match(const std::string& Name, bool Bold, bool Italic, bool Accept, std::string& File, int& Index,
             std::string& Family) {
    if (!FConfig) return false;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(Name.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddInteger(pattern, FC_WIDTH, FC_WIDTH_NORMAL);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(FConfig, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(FConfig, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return false;
    FcChar8* file = nullptr;
    FcChar8* family = nullptr;
    bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
                 FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch;
    if (found) {
      const std::string matched = reinterpret_cast<const char*>(family);
      const std::string wanted = LowerCase(Name);
      const bool generic =
          wanted == "sans-serif" || wanted == "serif" || wanted == "monospace" || wanted == "sans";
      found = Accept || generic || LowerCase(matched) == wanted;
      if (found) {
        File = reinterpret_cast<const char*>(file);
        Family = matched;
        if (FcPatternGetInteger(match, FC_INDEX, 0, &Index) != FcResultMatch) Index = 0;
      }
    }
    FcPatternDestroy(match);
    return found;
  }

  static std::string LowerCase(std::string S) {
    for (char& c : S)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return S;
  }

  FT_Library FLibrary = nullptr;
  FcConfig* FConfig = nullptr;
  std::map<std::tuple<std::string, int, std::uint64_t, int>, std::unique_ptr<TFontResource>> FCache;
};

int Scale(long Units, int Ppem, int UnitsPerEm) {
  return static_cast<int>(std::lround(static_cast<double>(Units) * Ppem / UnitsPerEm));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TFontResource
// ---------------------------------------------------------------------------------------------

TFontResource::TFontResource(const std::string& File, int Index, int Height, TFontStyles Style)
    : FFile(File) {
  FT_Face face = nullptr;
  if (FT_New_Face(TFontEngine::Instance().Library(), File.c_str(), Index, &face) != 0)
    throw Exception("Cannot open the font file \"" + File + "\"");
  FFace = face;
  FFamily = face->family_name ? face->family_name : "";
  FEmbolden = Style.Contains(fsBold) && !(face->style_flags & FT_STYLE_FLAG_BOLD);
  FSlant = Style.Contains(fsItalic) && !(face->style_flags & FT_STYLE_FLAG_ITALIC);

  // The cell: Windows ascent and descent of the face, each rounded at the em size.
  const int units = face->units_per_EM ? face->units_per_EM : 2048;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  const long winAscent = os2 && os2->version != 0xFFFF ? os2->usWinAscent : face->ascender;
  const long winDescent = os2 && os2->version != 0xFFFF ? os2->usWinDescent : -face->descender;
  int ppem =
      Height < 0
          ? -Height
          : static_cast<int>(std::lround(static_cast<double>(Height) * units / (winAscent + winDescent)));
  ppem = std::max(ppem, 1);
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem));

  FMetrics.Ascent = Scale(winAscent, ppem, units);
  FMetrics.Descent = Scale(winDescent, ppem, units);
  FMetrics.Height = FMetrics.Ascent + FMetrics.Descent;
  FMetrics.InternalLeading = std::max(0, FMetrics.Height - ppem);
  if (hhea) {
    const long gap = hhea->Ascender - hhea->Descender + hhea->Line_Gap - (winAscent + winDescent);
    FMetrics.ExternalLeading = std::max(0, Scale(gap, ppem, units));
  }
  FMetrics.Weight = Style.Contains(fsBold) ? 700 : 400;
  FMetrics.Italic = Style.Contains(fsItalic);
  FMetrics.Underline = Style.Contains(fsUnderline);
  FMetrics.StrikeOut = Style.Contains(fsStrikeOut);
  FMetrics.UnderlineThickness = std::max(1, Scale(face->underline_thickness, ppem, units));
  FMetrics.UnderlineOffset = std::clamp(Scale(-face->underline_position, ppem, units), 1,
                                        std::max(1, FMetrics.Descent - FMetrics.UnderlineThickness));
  FMetrics.StrikeOutOffset =
      os2 && os2->version != 0xFFFF ? Scale(os2->yStrikeoutPosition, ppem, units) : FMetrics.Ascent / 3;
  FMetrics.AveCharWidth = CharWidth('x');
  for (int ch = 0x20; ch < 0x100; ++ch)
    FMetrics.MaxCharWidth = std::max(FMetrics.MaxCharWidth, CharWidth(ch));
}

TFontResource::~TFontResource() {
  if (FFace) FT_Done_Face(FFace);
}

bool TFontResource::HasGlyph(unsigned char Ch) const {
  return FT_Get_Char_Index(FFace, Cp1252ToUnicode(Ch)) != 0;
}

const TGlyph& TFontResource::Glyph(unsigned char Ch) {
  std::unique_ptr<TGlyph>& cached = FGlyphs[Ch];
  if (cached) return *cached;
  cached = std::make_unique<TGlyph>();
  TGlyph& glyph = *cached;
  FT_Face face = FFace;
  const FT_UInt index = FT_Get_Char_Index(face, Cp1252ToUnicode(Ch));
  if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL) != 0) return glyph;
  FT_GlyphSlot slot = face->glyph;
  if (FSlant) FT_GlyphSlot_Oblique(slot);
  if (FEmbolden) FT_GlyphSlot_Embolden(slot);
  glyph.Advance = static_cast<int>((slot->advance.x + 32) >> 6);
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  glyph.Width = static_cast<int>(bitmap.width);
  glyph.Rows = static_cast<int>(bitmap.rows);
  glyph.Left = slot->bitmap_left;
  glyph.Top = slot->bitmap_top;
  glyph.Coverage.resize(static_cast<std::size_t>(glyph.Width) * glyph.Rows);
  for (int y = 0; y < glyph.Rows; ++y) {
    const unsigned char* src = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
      for (int x = 0; x < glyph.Width; ++x)
        glyph.Coverage[y * glyph.Width + x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    } else {
      std::copy(src, src + glyph.Width, glyph.Coverage.begin() + y * glyph.Width);
    }
  }
  return glyph;
}

int TFontResource::TextWidth(std::string_view Text) {
  int width = 0;
  for (char c : Text) width += CharWidth(static_cast<unsigned char>(c));
  return width;
}

HFONT ResolveFont(const std::string& Name, int Height, TFontStyles Style, TFontPitch Pitch) {
  return TFontEngine::Instance().Resolve(Name, Height, Style, Pitch);
}

HFONT DefaultFont() {
  return ResolveFont(TFont::DefaultName, TFont::DefaultHeight, {});
}

// The descriptor's handle lives here, not beside the descriptor, so that builds without the
// font engine can still use TFont.
HFONT TFont::Handle() const {
  return ResolveFont(FName, FHeight, FStyle, FPitch);
}

}  // namespace vcl
