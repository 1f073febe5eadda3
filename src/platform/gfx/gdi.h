// Device contexts and the GDI-style calls that draw through them: text out, lines, fills,
// edges, frame controls and focus rectangles, with the Win32 constants they take.
//
// A device context (HDC) draws into a TSurface through an origin (the surface pixel of the
// context's (0, 0)) and a clip rectangle in the context's own coordinates; nothing is ever
// written outside the clip or the surface. A context without a surface only measures: text
// metrics and extents work, drawing calls do nothing. The window layer makes one context per
// paint (CreateSurfaceDC at the window's client offset, clipped to what is visible) and gives
// CreateMeasureDC's context out as GetDC(0).
//
// Colours passed here may be system colours; they are resolved through ColorToRGB.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/geometry.h"
#include "platform/gfx/font_engine.h"
#include "platform/gfx/graphics.h"
#include "platform/gfx/surface.h"

namespace vcl {

struct TDeviceContext;
using HDC = TDeviceContext*;
using HGDIOBJ = TGdiObject*;
using UINT = unsigned int;

// A solid brush made by CreateSolidBrush and freed by DeleteObject.
struct TBrushObject : TGdiObject {
  explicit TBrushObject(TColor AColor) : Color(AColor) {}
  TColor Color;
};
using HBRUSH = TBrushObject*;

// ---- DrawEdge -------------------------------------------------------------------------------
constexpr UINT BDR_RAISEDOUTER = 0x0001;
constexpr UINT BDR_SUNKENOUTER = 0x0002;
constexpr UINT BDR_RAISEDINNER = 0x0004;
constexpr UINT BDR_SUNKENINNER = 0x0008;
constexpr UINT BDR_OUTER = BDR_RAISEDOUTER | BDR_SUNKENOUTER;
constexpr UINT BDR_INNER = BDR_RAISEDINNER | BDR_SUNKENINNER;
constexpr UINT BDR_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr UINT BDR_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr UINT EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr UINT EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr UINT EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;

constexpr UINT BF_LEFT = 0x0001;
constexpr UINT BF_TOP = 0x0002;
constexpr UINT BF_RIGHT = 0x0004;
constexpr UINT BF_BOTTOM = 0x0008;
constexpr UINT BF_TOPLEFT = BF_TOP | BF_LEFT;
constexpr UINT BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT;
constexpr UINT BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr UINT BF_MIDDLE = 0x0800;
constexpr UINT BF_SOFT = 0x1000;
constexpr UINT BF_ADJUST = 0x2000;
constexpr UINT BF_FLAT = 0x4000;
constexpr UINT BF_MONO = 0x8000;

// ---- DrawFrameControl -----------------------------------------------------------------------
constexpr UINT DFC_CAPTION = 1;
constexpr UINT DFC_MENU = 2;
constexpr UINT DFC_SCROLL = 3;
constexpr UINT DFC_BUTTON = 4;

constexpr UINT DFCS_SCROLLUP = 0x0000;
constexpr UINT DFCS_SCROLLDOWN = 0x0001;
constexpr UINT DFCS_SCROLLLEFT = 0x0002;
constexpr UINT DFCS_SCROLLRIGHT = 0x0003;
constexpr UINT DFCS_SCROLLCOMBOBOX = 0x0005;
constexpr UINT DFCS_BUTTONPUSH = 0x0010;
constexpr UINT DFCS_INACTIVE = 0x0100;
constexpr UINT DFCS_PUSHED = 0x0200;
constexpr UINT DFCS_CHECKED = 0x0400;
constexpr UINT DFCS_HOT = 0x1000;
constexpr UINT DFCS_ADJUSTRECT = 0x2000;
constexpr UINT DFCS_FLAT = 0x4000;
constexpr UINT DFCS_MONO = 0x8000;

// ---- Text -----------------------------------------------------------------------------------
constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;
constexpr UINT ETO_RTLREADING = 0x0080;
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_WORDBREAK = 0x0010;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_NOPREFIX = 0x0800;
constexpr UINT DT_RTLREADING = 0x20000;

struct TEXTMETRIC {
  int tmHeight = 0;
  int tmAscent = 0;
  int tmDescent = 0;
  int tmInternalLeading = 0;
  int tmExternalLeading = 0;
  int tmAveCharWidth = 0;
  int tmMaxCharWidth = 0;
  int tmWeight = 0;
  int tmOverhang = 0;
  int tmDigitizedAspectX = 96;
  int tmDigitizedAspectY = 96;
  unsigned char tmFirstChar = 0x20;
  unsigned char tmLastChar = 0xFF;
  unsigned char tmDefaultChar = 0x1F;
  unsigned char tmBreakChar = 0x20;
  unsigned char tmItalic = 0;
  unsigned char tmUnderlined = 0;
  unsigned char tmStruckOut = 0;
  unsigned char tmPitchAndFamily = 0;
  unsigned char tmCharSet = 0;
};
using TEXTMETRICA = TEXTMETRIC;
using TTextMetric = TEXTMETRIC;

// The state of one drawing target. Fields are public for the window layer that sets targets
// up; code that draws goes through the calls below.
struct TDeviceContext {
  TSurface* Surface = nullptr;  // null: the context only measures
  TPoint Origin;                // surface pixel of the context's (0, 0)
  TRect Clip;                   // in the context's coordinates
  HFONT Font = nullptr;         // the selected font; null means the default font
  TColor TextColor = clBlack;
  TColor BkColor = clWhite;
  int BkMode = OPAQUE;
  TColor PenColor = clBlack;
  TPenStyle PenStyle = psSolid;
  TPoint PenPos;

  HFONT CurrentFont() const { return Font ? Font : DefaultFont(); }
  // The part of Clip that lies on the surface (context coordinates); empty without a surface.
  TRect VisibleRect() const;
};

// ---- Contexts and objects -------------------------------------------------------------------
// A context that measures and draws nothing (what GetDC(0) gives), with the default font.
HDC CreateMeasureDC();
// A context drawing into Surface with its (0, 0) at Origin, clipped to Clip (its coordinates).
HDC CreateSurfaceDC(TSurface* Surface, TPoint Origin, const TRect& Clip);
bool DeleteDC(HDC DC);
// Selects a font (the only object a context holds); returns the previous one, null on failure.
HGDIOBJ SelectObject(HDC DC, HGDIOBJ Object);
HBRUSH CreateSolidBrush(TColor Color);
// Frees a brush; fonts belong to the font engine and are left alone.
bool DeleteObject(HGDIOBJ Object);
// Narrows the clip to its overlap with the rectangle.
bool IntersectClipRect(HDC DC, int Left, int Top, int Right, int Bottom);
// The clip rectangle in the context's coordinates.
int GetClipBox(HDC DC, TRect* R);

// ---- Text -----------------------------------------------------------------------------------
bool GetTextMetricsA(HDC DC, TEXTMETRIC* Metrics);
bool GetTextExtentPoint32A(HDC DC, const char* Text, int Count, TSize* Size);
TSize TextExtent(HDC DC, std::string_view Text);
TColor SetTextColor(HDC DC, TColor Color);
TColor SetBkColor(HDC DC, TColor Color);
int SetBkMode(HDC DC, int Mode);
// Draws Text with its cell's top-left at (X, Y). ETO_OPAQUE fills Rect with the background
// colour, ETO_CLIPPED clips the text to Rect, ETO_RTLREADING lays the text out for right-to-left
// reading (neutral characters at either end move to the other side, brackets mirror). Without
// ETO_OPAQUE, an OPAQUE background mode fills the text's cell. Dx, when given, holds the
// advance of each character in the order drawn.
bool ExtTextOutA(HDC DC, int X, int Y, UINT Options, const TRect* Rect, const char* Text, int Count,
                 const int* Dx = nullptr);
bool TextOutA(HDC DC, int X, int Y, const char* Text, int Count);
// Formats text in a rectangle (DT_LEFT/CENTER/RIGHT, DT_TOP/VCENTER/BOTTOM with DT_SINGLELINE,
// DT_WORDBREAK, DT_CALCRECT, DT_NOPREFIX, DT_NOCLIP). Returns the height of the text; with
// DT_CALCRECT it only measures and sets R's right and bottom. Without DT_NOPREFIX an '&' is
// dropped ("&&" draws one).
int DrawTextA(HDC DC, const char* Text, int Count, TRect* R, UINT Format);
// The visual order of Text under right-to-left reading (what ETO_RTLREADING draws).
std::string RightToLeftVisualOrder(std::string_view Text);

// ---- Lines, pixels, rectangles --------------------------------------------------------------
bool MoveToEx(HDC DC, int X, int Y, TPoint* Old);
// A line from the pen position to (X, Y) in the pen colour, the end point excluded; the pen
// moves to (X, Y).
bool LineTo(HDC DC, int X, int Y);
TColor GetPixel(HDC DC, int X, int Y);
TColor SetPixel(HDC DC, int X, int Y, TColor Color);
int FillRect(HDC DC, const TRect& R, HBRUSH Brush);
int FillRect(HDC DC, const TRect& R, TColor Color);
// A one-pixel frame just inside R.
int FrameRect(HDC DC, const TRect& R, HBRUSH Brush);
int FrameRect(HDC DC, const TRect& R, TColor Color);

// ---- Edges, frame controls, focus -----------------------------------------------------------
// The classic 3-D edge. Each ring is one pixel: the outer at R's border, the inner inside it.
//   raised outer: top/left cl3DLight,      bottom/right cl3DDkShadow
//   raised inner: top/left clBtnHighlight, bottom/right clBtnShadow
//   sunken outer: top/left clBtnShadow,    bottom/right clBtnHighlight
//   sunken inner: top/left cl3DDkShadow,   bottom/right cl3DLight
// A ring with both its raised and its sunken bit (BDR_RAISEDINNER | BDR_SUNKENINNER) draws
// raised; a ring with neither takes no space. The bottom/right colour owns the top-right and
// bottom-left corners. BF_FLAT draws the outer ring in clBtnShadow and the inner in clBtnFace,
// BF_MONO in clWindowFrame and clWindow; BF_MIDDLE fills the inside with clBtnFace (clWindow
// for BF_MONO); BF_ADJUST shrinks R by the rings drawn on the sides drawn. BF_SOFT draws
// nothing different.
bool DrawEdge(HDC DC, TRect& R, UINT Edge, UINT Flags);
// DFC_SCROLL: a push-button face with an arrow (up, down, left, right, or down for
// DFCS_SCROLLCOMBOBOX); DFC_BUTTON with DFCS_BUTTONPUSH: the face alone.
//   normal:   EDGE_RAISED with the face filled in clBtnFace, arrow in clBtnText;
//   pushed:   a flat one-pixel clBtnShadow frame (a pushed push button: EDGE_SUNKEN), the
//             arrow one pixel right and down;
//   flat:     a one-pixel clBtnShadow frame;
//   inactive: the arrow in clBtnShadow over a clBtnHighlight copy one pixel right and down.
// DFCS_ADJUSTRECT shrinks R to the face inside the frame.
bool DrawFrameControl(HDC DC, TRect& R, UINT Type, UINT State);
// The dotted focus rectangle: every other pixel of R's one-pixel border inverted, so drawing
// it twice restores every pixel.
bool DrawFocusRect(HDC DC, const TRect& R);

}  // namespace vcl
