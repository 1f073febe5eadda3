// Points, sizes and rectangles, with the Win32-named rectangle helpers.
#pragma once

namespace vcl {

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

// A rectangle whose right and bottom edges are excluded, as on the real system.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(TPoint P) const { return P.X >= Left && P.X < Right && P.Y >= Top && P.Y < Bottom; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

using POINT = TPoint;
using RECT = TRect;
using SIZE = TSize;

inline TPoint Point(int X, int Y) {
  return TPoint{X, Y};
}
inline TRect Rect(int Left, int Top, int Right, int Bottom) {
  return TRect{Left, Top, Right, Bottom};
}
inline TRect Bounds(int Left, int Top, int Width, int Height) {
  return TRect{Left, Top, Left + Width, Top + Height};
}

// Win32 rectangle helpers; each returns true (non-zero) as the real ones do on success.
inline bool SetRect(TRect& R, int Left, int Top, int Right, int Bottom) {
  R = TRect{Left, Top, Right, Bottom};
  return true;
}
inline bool SetRectEmpty(TRect& R) {
  return SetRect(R, 0, 0, 0, 0);
}
inline bool OffsetRect(TRect& R, int DX, int DY) {
  R.Left += DX;
  R.Right += DX;
  R.Top += DY;
  R.Bottom += DY;
  return true;
}
inline bool InflateRect(TRect& R, int DX, int DY) {
  R.Left -= DX;
  R.Right += DX;
  R.Top -= DY;
  R.Bottom += DY;
  return true;
}
inline bool PtInRect(const TRect& R, TPoint P) {
  return R.Contains(P);
}
inline bool IsRectEmpty(const TRect& R) {
  return R.IsEmpty();
}
inline bool EqualRect(const TRect& A, const TRect& B) {
  return A == B;
}
// The overlap of A and B; false (and an empty D) when they do not overlap.
bool IntersectRect(TRect& D, const TRect& A, const TRect& B);
// The smallest rectangle holding A and B (an empty one is ignored).
bool UnionRect(TRect& D, const TRect& A, const TRect& B);

}  // namespace vcl
