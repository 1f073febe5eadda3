#include "platform/gfx/gdi.h"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

// Sections: contexts and objects | text | DrawTextA | lines, pixels, rectangles | edges |
// frame controls | focus rectangle.

namespace vcl {

namespace {

// Surface pixel writes through a context, clipped to its visible rectangle.
struct TPainter {
  HDC DC;
  TRect Visible;  // context coordinates
  explicit TPainter(HDC ADC) : DC(ADC), Visible(ADC ? ADC->VisibleRect() : TRect{}) {}
  bool Active() const { return !Visible.IsEmpty(); }
  void Set(int X, int Y, TColor C) const {
    if (Visible.Contains({X, Y})) DC->Surface->SetPixel(X + DC->Origin.X, Y + DC->Origin.Y, C);
  }
  void Blend(int X, int Y, TColor C, int Alpha) const {
    if (Visible.Contains({X, Y})) DC->Surface->BlendPixel(X + DC->Origin.X, Y + DC->Origin.Y, C, Alpha);
  }
  void Invert(int X, int Y) const {
    if (Visible.Contains({X, Y})) DC->Surface->InvertPixel(X + DC->Origin.X, Y + DC->Origin.Y);
  }
  void Fill(const TRect& R, TColor C) const {
    TRect r;
    if (!IntersectRect(r, R, Visible)) return;
    OffsetRect(r, DC->Origin.X, DC->Origin.Y);
    DC->Surface->Fill(r, C);
  }
};

TRect Intersection(const TRect& A, const TRect& B) {
  TRect r;
  IntersectRect(r, A, B);
  return r;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Contexts and objects
// ---------------------------------------------------------------------------------------------

TRect TDeviceContext::VisibleRect() const {
  if (!Surface) return {};
  TRect onSurface = Surface->BoundsRect();
  OffsetRect(onSurface, -Origin.X, -Origin.Y);
  return Intersection(Clip, onSurface);
}

HDC CreateMeasureDC() {
  return new TDeviceContext();
}

HDC CreateSurfaceDC(TSurface* Surface, TPoint Origin, const TRect& Clip) {
  auto* dc = new TDeviceContext();
  dc->Surface = Surface;
  dc->Origin = Origin;
  dc->Clip = Clip;
  return dc;
}

bool DeleteDC(HDC DC) {
  delete DC;
  return DC != nullptr;
}

HGDIOBJ SelectObject(HDC DC, HGDIOBJ Object) {
  auto* font = dynamic_cast<TFontResource*>(Object);
  if (!DC || !font) return nullptr;
  HGDIOBJ previous = DC->CurrentFont();
  DC->Font = font;
  return previous;
}

HBRUSH CreateSolidBrush(TColor Color) {
  return new TBrushObject(Color);
}

bool DeleteObject(HGDIOBJ Object) {
  auto* brush = dynamic_cast<TBrushObject*>(Object);
  delete brush;
  return Object != nullptr;
}

bool IntersectClipRect(HDC DC, int Left, int Top, int Right, int Bottom) {
  if (!DC) return false;
  DC->Clip = Intersection(DC->Clip, TRect{Left, Top, Right, Bottom});
  return true;
}

int GetClipBox(HDC DC, TRect* R) {
  if (!DC || !R) return 0;
  *R = DC->Clip;
  return R->IsEmpty() ? 1 : 2;  // NULLREGION : SIMPLEREGION
}

// ---------------------------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------------------------

bool GetTextMetricsA(HDC DC, TEXTMETRIC* Metrics) {
  if (!DC || !Metrics) return false;
  const TFontMetrics& m = DC->CurrentFont()->Metrics();
  *Metrics = TEXTMETRIC{};
  Metrics->tmHeight = m.Height;
  Metrics->tmAscent = m.Ascent;
  Metrics->tmDescent = m.Descent;
  Metrics->tmInternalLeading = m.InternalLeading;
  Metrics->tmExternalLeading = m.ExternalLeading;
  Metrics->tmAveCharWidth = m.AveCharWidth;
  Metrics->tmMaxCharWidth = m.MaxCharWidth;
  Metrics->tmWeight = m.Weight;
  Metrics->tmItalic = m.Italic;
  Metrics->tmUnderlined = m.Underline;
  Metrics->tmStruckOut = m.StrikeOut;
  Metrics->tmPitchAndFamily = 0x06;  // variable pitch (the bit is set when NOT fixed), TrueType
  return true;
}

TSize TextExtent(HDC DC, std::string_view Text) {
  if (!DC) return {};
  HFONT font = DC->CurrentFont();
  return TSize{font->TextWidth(Text), font->Metrics().Height};
}

bool GetTextExtentPoint32A(HDC DC, const char* Text, int Count, TSize* Size) {
  if (!DC || !Size || Count < 0 || (!Text && Count > 0)) return false;
  *Size = TextExtent(DC, std::string_view(Text ? Text : "", static_cast<std::size_t>(Count)));
  return true;
}

TColor SetTextColor(HDC DC, TColor Color) {
  if (!DC) return clNone;
  return std::exchange(DC->TextColor, Color);
}

TColor SetBkColor(HDC DC, TColor Color) {
  if (!DC) return clNone;
  return std::exchange(DC->BkColor, Color);
}

int SetBkMode(HDC DC, int Mode) {
  if (!DC || (Mode != OPAQUE && Mode != TRANSPARENT)) return 0;
  return std::exchange(DC->BkMode, Mode);
}

std::string RightToLeftVisualOrder(std::string_view Text) {
  // Letters and digits are strong left-to-right characters in Windows-1252; everything else
  // is neutral. In a right-to-left paragraph the neutrals before the first and after the last
  // strong character take the paragraph's direction: they are reversed and mirrored and end
  // up on the other side of the left-to-right run.
  const auto strong = [](unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == 0x83 ||
           c == 0x8A || c == 0x8C || c == 0x8E || c == 0x9A || c == 0x9C || c == 0x9E || c == 0x9F ||
           c == 0xAA || c == 0xB5 || c == 0xBA || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
  };
  const auto mirrored = [](std::string_view S) {
    std::string r(S.rbegin(), S.rend());
    for (char& c : r) {
      switch (c) {
        case '(': c = ')'; break;
        case ')': c = '('; break;
        case '[': c = ']'; break;
        case ']': c = '['; break;
        case '{': c = '}'; break;
        case '}': c = '{'; break;
        case '<': c = '>'; break;
        case '>': c = '<'; break;
        case '\xAB': c = '\xBB'; break;
        case '\xBB': c = '\xAB'; break;
        default: break;
      }
    }
    return r;
  };
  std::size_t first = 0;
  while (first < Text.size() && !strong(static_cast<unsigned char>(Text[first]))) ++first;
  if (first == Text.size()) return mirrored(Text);
  std::size_t last = Text.size() - 1;
  while (!strong(static_cast<unsigned char>(Text[last]))) --last;
  return mirrored(Text.substr(last + 1)) + std::string(Text.substr(first, last + 1 - first)) +
         mirrored(Text.substr(0, first));
}

bool ExtTextOutA(HDC DC, int X, int Y, UINT Options, const TRect* Rect, const char* Text, int Count,
                 const int* Dx) {
  if (!DC || Count < 0 || (!Text && Count > 0)) return false;
  const TPainter painter(DC);
  if (!painter.Active()) return true;
  HFONT font = DC->CurrentFont();
  const TFontMetrics& m = font->Metrics();
  std::string visual(Text ? Text : "", static_cast<std::size_t>(Count));
  if (Options & ETO_RTLREADING) visual = RightToLeftVisualOrder(visual);

  // Advances, then the background: the whole rectangle, or else the text's cell.
  std::vector<int> advances(visual.size());
  int width = 0;
  for (std::size_t i = 0; i < visual.size(); ++i) {
    advances[i] = Dx ? Dx[i] : font->CharWidth(static_cast<unsigned char>(visual[i]));
    width += advances[i];
  }
  const bool clipped = Rect && (Options & ETO_CLIPPED);
  if (Rect && (Options & ETO_OPAQUE)) {
    painter.Fill(*Rect, DC->BkColor);
  } else if (DC->BkMode == OPAQUE) {
    const TRect cell{X, Y, X + width, Y + m.Height};
    painter.Fill(clipped ? Intersection(cell, *Rect) : cell, DC->BkColor);
  }

  // The glyphs, blended over what is there, and the lines of the style.
  TPainter textPainter(DC);
  if (clipped) textPainter.Visible = Intersection(textPainter.Visible, *Rect);
  if (textPainter.Visible.IsEmpty()) return true;
  const TColor color = ColorToRGB(DC->TextColor);
  const int baseline = Y + m.Ascent;
  int penX = X;
  for (std::size_t i = 0; i < visual.size(); ++i) {
    const TGlyph& g = font->Glyph(static_cast<unsigned char>(visual[i]));
    const int left = penX + g.Left, top = baseline - g.Top;
    if (left < textPainter.Visible.Right && left + g.Width > textPainter.Visible.Left)
      for (int gy = 0; gy < g.Rows; ++gy)
        for (int gx = 0; gx < g.Width; ++gx)
          if (const int a = g.Coverage[gy * g.Width + gx]) textPainter.Blend(left + gx, top + gy, color, a);
    penX += advances[i];
  }
  if (m.Underline)
    textPainter.Fill(
        {X, baseline + m.UnderlineOffset, penX, baseline + m.UnderlineOffset + m.UnderlineThickness}, color);
  if (m.StrikeOut)
    textPainter.Fill(
        {X, baseline - m.StrikeOutOffset, penX, baseline - m.StrikeOutOffset + m.UnderlineThickness}, color);
  return true;
}

bool TextOutA(HDC DC, int X, int Y, const char* Text, int Count) {
  return ExtTextOutA(DC, X, Y, 0, nullptr, Text, Count);
}

// ---------------------------------------------------------------------------------------------
// DrawTextA
// ---------------------------------------------------------------------------------------------

int DrawTextA(HDC DC, const char* Text, int Count, TRect* R, UINT Format) {
  if (!DC || !R || (!Text && Count != 0)) return 0;
  std::string_view source = Text ? (Count < 0 ? std::string_view(Text) : std::string_view(Text, Count)) : "";
  // Prefix characters: "&x" draws x, "&&" draws one '&'.
  std::string text;
  for (std::size_t i = 0; i < source.size(); ++i) {
    if (!(Format & DT_NOPREFIX) && source[i] == '&' && i + 1 < source.size()) ++i;
    text += source[i];
  }
  HFONT font = DC->CurrentFont();
  const int lineHeight = font->Metrics().Height;
  const int maxWidth = R->Width();

  // Lines: split at line breaks (unless single line), then at spaces when a line is too wide.
  std::vector<std::string> lines;
  const auto addWrapped = [&](const std::string& line) {
    if (!(Format & DT_WORDBREAK) || font->TextWidth(line) <= maxWidth) return lines.push_back(line);
    std::string current;
    std::size_t pos = 0;
    while (pos < line.size()) {
      std::size_t end = line.find(' ', pos);
      if (end == std::string::npos) end = line.size();
      const std::string word = line.substr(pos, end - pos);
      const std::string candidate = current.empty() ? word : current + " " + word;
      if (!current.empty() && font->TextWidth(candidate) > maxWidth) {
        lines.push_back(current);
        current = word;
      } else {
        current = candidate;
      }
      pos = end + 1;
    }
    lines.push_back(current);
  };
  if (Format & DT_SINGLELINE) {
    std::string single = text;
    std::replace(single.begin(), single.end(), '\n', ' ');
    single.erase(std::remove(single.begin(), single.end(), '\r'), single.end());
    lines.push_back(single);
  } else {
    std::size_t pos = 0;
    while (true) {
      const std::size_t end = text.find('\n', pos);
      std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      addWrapped(line);
      if (end == std::string::npos) break;
      pos = end + 1;
    }
  }
  const int height = lineHeight * static_cast<int>(lines.size());
  if (Format & DT_CALCRECT) {
    int widest = 0;
    for (const auto& line : lines) widest = std::max(widest, font->TextWidth(line));
    R->Right = R->Left + widest;
    R->Bottom = R->Top + height;
    return height;
  }
  int y = R->Top;
  if (Format & DT_SINGLELINE) {
    if (Format & DT_VCENTER) y = R->Top + (R->Height() - lineHeight) / 2;
    if (Format & DT_BOTTOM) y = R->Bottom - lineHeight;
  }
  const UINT options =
      ((Format & DT_NOCLIP) ? 0 : ETO_CLIPPED) | ((Format & DT_RTLREADING) ? ETO_RTLREADING : 0);
  for (const auto& line : lines) {
    const int w = font->TextWidth(line);
    int x = R->Left;
    if (Format & DT_CENTER) x = R->Left + (maxWidth - w) / 2;
    if (Format & DT_RIGHT) x = R->Right - w;
    ExtTextOutA(DC, x, y, options, R, line.data(), static_cast<int>(line.size()));
    y += lineHeight;
  }
  return height;
}

// ---------------------------------------------------------------------------------------------
// Lines, pixels, rectangles
// ---------------------------------------------------------------------------------------------

bool MoveToEx(HDC DC, int X, int Y, TPoint* Old) {
  if (!DC) return false;
  if (Old) *Old = DC->PenPos;
  DC->PenPos = {X, Y};
  return true;
}

bool LineTo(HDC DC, int X, int Y) {
  if (!DC) return false;
  const TPoint from = DC->PenPos;
  DC->PenPos = {X, Y};
  const TPainter painter(DC);
  if (!painter.Active() || DC->PenStyle == psClear) return true;
  // Bresenham, stopping before the end point.
  const int dx = std::abs(X - from.X), dy = -std::abs(Y - from.Y);
  const int sx = from.X < X ? 1 : -1, sy = from.Y < Y ? 1 : -1;
  int err = dx + dy, x = from.X, y = from.Y;
  for (int step = 0; x != X || y != Y; ++step) {
    if (DC->PenStyle != psDot || step % 2 == 0) painter.Set(x, y, DC->PenColor);
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
  return true;
}

TColor GetPixel(HDC DC, int X, int Y) {
  if (!DC || !DC->VisibleRect().Contains({X, Y})) return clNone;  // CLR_INVALID
  return DC->Surface->Pixel(X + DC->Origin.X, Y + DC->Origin.Y);
}

TColor SetPixel(HDC DC, int X, int Y, TColor Color) {
  if (!DC || !DC->VisibleRect().Contains({X, Y})) return clNone;
  TPainter(DC).Set(X, Y, Color);
  return ColorToRGB(Color);
}

int FillRect(HDC DC, const TRect& R, TColor Color) {
  if (!DC) return 0;
  TPainter(DC).Fill(R, Color);
  return 1;
}

int FillRect(HDC DC, const TRect& R, HBRUSH Brush) {
  return Brush ? FillRect(DC, R, Brush->Color) : 0;
}

int FrameRect(HDC DC, const TRect& R, TColor Color) {
  if (!DC || R.IsEmpty()) return 0;
  const TPainter painter(DC);
  painter.Fill({R.Left, R.Top, R.Right, R.Top + 1}, Color);
  painter.Fill({R.Left, R.Bottom - 1, R.Right, R.Bottom}, Color);
  painter.Fill({R.Left, R.Top, R.Left + 1, R.Bottom}, Color);
  painter.Fill({R.Right - 1, R.Top, R.Right, R.Bottom}, Color);
  return 1;
}

int FrameRect(HDC DC, const TRect& R, HBRUSH Brush) {
  return Brush ? FrameRect(DC, R, Brush->Color) : 0;
}

// ---------------------------------------------------------------------------------------------
// Edges
// ---------------------------------------------------------------------------------------------

bool DrawEdge(HDC DC, TRect& R, UINT Edge, UINT Flags) {
  if (!DC) return false;
  const TPainter painter(DC);
  TRect r = R;
  for (int ring = 0; ring < 2; ++ring) {
    const UINT bits = ring == 0 ? (Edge & BDR_OUTER) : (Edge & BDR_INNER) >> 2;
    if (bits == 0) continue;
    const bool raised = bits & 1;  // the raised bit wins over the sunken one
    TColor topLeft, bottomRight;
    if (Flags & BF_MONO) {
      topLeft = bottomRight = ring == 0 ? clWindowFrame : clWindow;
    } else if (Flags & BF_FLAT) {
      topLeft = bottomRight = ring == 0 ? clBtnShadow : clBtnFace;
    } else if (ring == 0) {
      topLeft = raised ? cl3DLight : clBtnShadow;
      bottomRight = raised ? cl3DDkShadow : clBtnHighlight;
    } else {
      topLeft = raised ? clBtnHighlight : cl3DDkShadow;
      bottomRight = raised ? clBtnShadow : cl3DLight;
    }
    if (r.IsEmpty()) break;
    if (Flags & BF_TOP) painter.Fill({r.Left, r.Top, r.Right, r.Top + 1}, topLeft);
    if (Flags & BF_LEFT) painter.Fill({r.Left, r.Top, r.Left + 1, r.Bottom}, topLeft);
    if (Flags & BF_BOTTOM) painter.Fill({r.Left, r.Bottom - 1, r.Right, r.Bottom}, bottomRight);
    if (Flags & BF_RIGHT) painter.Fill({r.Right - 1, r.Top, r.Right, r.Bottom}, bottomRight);
    if (Flags & BF_LEFT) ++r.Left;
    if (Flags & BF_TOP) ++r.Top;
    if (Flags & BF_RIGHT) --r.Right;
    if (Flags & BF_BOTTOM) --r.Bottom;
  }
  if (Flags & BF_MIDDLE) painter.Fill(r, (Flags & BF_MONO) ? clWindow : clBtnFace);
  if (Flags & BF_ADJUST) R = r;
  return true;
}

// ---------------------------------------------------------------------------------------------
// Frame controls
// ---------------------------------------------------------------------------------------------

namespace {

// A solid triangle pointing in Direction (DFCS_SCROLLUP ... DFCS_SCROLLRIGHT), centred in R.
void DrawArrow(const TPainter& Painter, const TRect& R, UINT Direction, int DX, int DY, TColor Color) {
  const int size = std::min(R.Width(), R.Height());
  const int depth = std::max(1, (size + 1) / 4);  // 4 rows in a 16-pixel button
  const bool vertical = Direction == DFCS_SCROLLUP || Direction == DFCS_SCROLLDOWN;
  const int cx = R.Left + R.Width() / 2 + DX, cy = R.Top + R.Height() / 2 + DY;
  for (int i = 0; i < depth; ++i) {
    // Row i counts from the triangle's wide base; its half length shrinks by one each row.
    const int half = depth - 1 - i;
    if (vertical) {
      const int top = cy - depth / 2;
      const int y = Direction == DFCS_SCROLLDOWN ? top + i : top + depth - 1 - i;
      Painter.Fill({cx - half, y, cx + half + 1, y + 1}, Color);
    } else {
      const int left = cx - depth / 2;
      const int x = Direction == DFCS_SCROLLRIGHT ? left + i : left + depth - 1 - i;
      Painter.Fill({x, cy - half, x + 1, cy + half + 1}, Color);
    }
  }
}

}  // namespace

bool DrawFrameControl(HDC DC, TRect& R, UINT Type, UINT State) {
  if (!DC || (Type != DFC_SCROLL && Type != DFC_BUTTON)) return false;
  const TPainter painter(DC);
  const bool pushed = State & (DFCS_PUSHED | DFCS_CHECKED);
  TRect face = R;
  if (State & DFCS_FLAT || (pushed && Type == DFC_SCROLL)) {
    FrameRect(DC, R, clBtnShadow);
    InflateRect(face, -1, -1);
    painter.Fill(face, clBtnFace);
  } else {
    DrawEdge(DC, face, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
  }
  if (Type == DFC_SCROLL) {
    const UINT kind = State & 0xFF;
    const UINT direction = kind == DFCS_SCROLLCOMBOBOX ? DFCS_SCROLLDOWN : kind;
    if (direction <= DFCS_SCROLLRIGHT) {
      const int shift = pushed ? 1 : 0;
      if (State & DFCS_INACTIVE) {
        DrawArrow(painter, R, direction, shift + 1, shift + 1, clBtnHighlight);
        DrawArrow(painter, R, direction, shift, shift, clBtnShadow);
      } else {
        DrawArrow(painter, R, direction, shift, shift, clBtnText);
      }
    }
  }
  if (State & DFCS_ADJUSTRECT) R = face;
  return true;
}

// ---------------------------------------------------------------------------------------------
// Focus rectangle
// ---------------------------------------------------------------------------------------------

bool DrawFocusRect(HDC DC, const TRect& R) {
  if (!DC) return false;
  if (R.IsEmpty()) return true;
  const TPainter painter(DC);
  // Each border pixel once, the dots on a checker fixed to the surface, so that two focus
  // rectangles drawn at different offsets still line up.
  const auto dot = [&](int X, int Y) {
    if (((X + DC->Origin.X + Y + DC->Origin.Y) & 1) == 0) painter.Invert(X, Y);
  };
  for (int x = R.Left; x < R.Right; ++x) {
    dot(x, R.Top);
    if (R.Bottom - 1 > R.Top) dot(x, R.Bottom - 1);
  }
  for (int y = R.Top + 1; y < R.Bottom - 1; ++y) {
    dot(R.Left, y);
    if (R.Right - 1 > R.Left) dot(R.Right - 1, y);
  }
  return true;
}

}  // namespace vcl
