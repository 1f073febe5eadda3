#include "platform/win/window_system.h"

#include <algorithm>

#include "platform/win/window_system_internal.h"

// The vertical scroll bar: its info, its layout and its tracking with the mouse.

namespace vcl {

namespace detail {

int MaxScrollPos(const SCROLLINFO& I) {
  return std::max(I.nMin, I.nMax - std::max<int>(static_cast<int>(I.nPage) - 1, 0));
}

// In window coordinates.
BarGeometry BarLayout(const Window& W, int Pos) {
  BarGeometry g;
  Insets f = FrameInsets(W);
  int right = W.Rect.Width() - f.Right;
  int top = f.Top;
  int bottom = W.Rect.Height() - f.Bottom;
  g.Bar = TRect{right - kScrollWidth, top, right, bottom};
  int arrow = std::min(kScrollWidth, std::max(0, (bottom - top) / 2));
  g.Up = TRect{g.Bar.Left, top, right, top + arrow};
  g.Down = TRect{g.Bar.Left, bottom - arrow, right, bottom};
  g.TrackTop = g.Up.Bottom;
  g.TrackBottom = g.Down.Top;
  int track = g.TrackBottom - g.TrackTop;
  const SCROLLINFO& I = W.VBar;
  int span = I.nMax - I.nMin + 1;
  g.ThumbLen = I.nPage > 0 && span > 0 ? static_cast<int>(static_cast<long long>(track) * I.nPage / span)
                                       : kScrollWidth;
  g.ThumbLen = std::max(g.ThumbLen, 8);
  g.MaxOffset = MaxScrollPos(I) - I.nMin;
  if (g.ThumbLen > track) {
    g.ThumbLen = 0;
    return g;
  }
  int offset =
      g.MaxOffset > 0
          ? static_cast<int>(static_cast<long long>(track - g.ThumbLen) * (Pos - I.nMin) / g.MaxOffset)
          : 0;
  g.Thumb = TRect{g.Bar.Left, g.TrackTop + offset, right, g.TrackTop + offset + g.ThumbLen};
  return g;
}

namespace {

void SendScroll(HWND Wnd, int Code, int Pos = 0) {
  NotifyPictureChanged(Wnd);  // the bar shows the part pressed and the thumb dragged
  SendMessage(Wnd, WM_VSCROLL, MAKEWPARAM(Code, Pos), 0);
}

}  // namespace

void EndTrack() {
  ScrollTrack t = S().Track;
  if (!t.Wnd) return;
  S().Track = ScrollTrack{};
  NotifyPictureChanged(t.Wnd);
  if (S().Capture == t.Wnd) ReleaseCapture();
}

namespace {

int BarPartAt(const Window& W, TPoint WindowPt) {
  BarGeometry g = BarLayout(W, W.VBar.nPos);
  if (!g.Bar.Contains(WindowPt)) return sbpNone;
  if (g.Up.Contains(WindowPt)) return sbpUpArrow;
  if (g.Down.Contains(WindowPt)) return sbpDownArrow;
  if (g.ThumbLen == 0) return sbpNone;
  if (WindowPt.Y < g.Thumb.Top) return sbpPageUp;
  if (WindowPt.Y >= g.Thumb.Bottom) return sbpPageDown;
  return sbpThumb;
}

}  // namespace

// A press on the bar: the first WM_VSCROLL and the start of the tracking.
void StartTrack(HWND Wnd, TPoint ScreenPt) {
  Window* w = Find(Wnd);
  if (!w || !BarShows(*w)) return;
  TPoint o = ScreenOrigin(*w);
  TPoint p{ScreenPt.X - o.X, ScreenPt.Y - o.Y};
  int part = BarPartAt(*w, p);
  if (part == sbpNone) return;
  SetCapture(Wnd);
  S().Track = ScrollTrack{Wnd, part, 0, S().Now + kScrollFirstRepeat};
  switch (part) {
    case sbpUpArrow: SendScroll(Wnd, SB_LINEUP); break;
    case sbpDownArrow: SendScroll(Wnd, SB_LINEDOWN); break;
    case sbpPageUp: SendScroll(Wnd, SB_PAGEUP); break;
    case sbpPageDown: SendScroll(Wnd, SB_PAGEDOWN); break;
    case sbpThumb: {
      BarGeometry g = BarLayout(*w, w->VBar.nPos);
      S().Track.GrabOffset = p.Y - g.Thumb.Top;
      w->VBar.nTrackPos = w->VBar.nPos;
      SendScroll(Wnd, SB_THUMBTRACK, w->VBar.nTrackPos);
      break;
    }
  }
}

// Scrolls again while an arrow or the track stays pressed under the pointer (the track only
// until the thumb reaches the pointer).
void ServiceScrollRepeat() {
  ScrollTrack& t = S().Track;
  if (!t.Wnd || t.Part == sbpThumb || static_cast<std::int32_t>(S().Now - t.NextRepeat) < 0) return;
  t.NextRepeat = S().Now + kScrollRepeat;
  Window* w = Find(t.Wnd);
  if (!w) return;
  TPoint o = ScreenOrigin(*w);
  TPoint p{S().Cursor.X - o.X, S().Cursor.Y - o.Y};
  if (BarPartAt(*w, p) != t.Part) return;
  static const int kCodes[] = {0, SB_LINEUP, SB_LINEDOWN, SB_PAGEUP, SB_PAGEDOWN};
  SendScroll(t.Wnd, kCodes[t.Part]);
}

void TrackMove(TPoint ScreenPt) {
  Window* w = Find(S().Track.Wnd);
  if (!w || S().Track.Part != sbpThumb) return;
  BarGeometry g = BarLayout(*w, w->VBar.nPos);
  TPoint o = ScreenOrigin(*w);
  int room = g.TrackBottom - g.TrackTop - g.ThumbLen;
  int top = ScreenPt.Y - o.Y - S().Track.GrabOffset - g.TrackTop;
  int pos = w->VBar.nMin;
  if (room > 0) {
    double f = std::clamp(static_cast<double>(top) / room, 0.0, 1.0);
    pos = w->VBar.nMin + static_cast<int>(f * g.MaxOffset + 0.5);
  }
  if (pos == w->VBar.nTrackPos) return;
  w->VBar.nTrackPos = pos;
  SendScroll(w->Handle, SB_THUMBTRACK, pos);
}

void TrackRelease() {
  ScrollTrack t = S().Track;
  Window* w = Find(t.Wnd);
  EndTrack();
  if (!w) return;
  HWND h = w->Handle;
  if (t.Part == sbpThumb) {
    S().ThumbReleased = h;
    struct Clear {
      ~Clear() { S().ThumbReleased = nullptr; }
    } clear;
    SendScroll(h, SB_THUMBPOSITION, w->VBar.nTrackPos);
  }
  if (IsWindow(h)) SendScroll(h, SB_ENDSCROLL);
}

}  // namespace detail

using namespace detail;

bool GetScrollInfo(HWND Wnd, int Bar, SCROLLINFO& Info) {
  Window* w = Find(Wnd);
  if (!w || Bar != SB_VERT) return false;
  const SCROLLINFO& v = w->VBar;
  if (Info.fMask & SIF_RANGE) {
    Info.nMin = v.nMin;
    Info.nMax = v.nMax;
  }
  if (Info.fMask & SIF_PAGE) Info.nPage = v.nPage;
  if (Info.fMask & SIF_POS) Info.nPos = v.nPos;
  if (Info.fMask & SIF_TRACKPOS)
    Info.nTrackPos = S().Track.Wnd == Wnd || S().ThumbReleased == Wnd ? v.nTrackPos : v.nPos;
  return true;
}

int SetScrollInfo(HWND Wnd, int Bar, const SCROLLINFO& Info, bool Redraw) {
  Window* w = Find(Wnd);
  if (!w || Bar != SB_VERT) return 0;
  SCROLLINFO& v = w->VBar;
  if (Info.fMask & SIF_RANGE) {
    v.nMin = Info.nMin;
    v.nMax = std::max(Info.nMin, Info.nMax);
  }
  if (Info.fMask & SIF_PAGE) v.nPage = std::min<UINT>(Info.nPage, static_cast<UINT>(v.nMax - v.nMin + 1));
  if (Info.fMask & SIF_POS) v.nPos = Info.nPos;
  v.nPos = std::clamp(v.nPos, v.nMin, MaxScrollPos(v));
  NotifyPictureChanged(Wnd);
  if (Info.fMask & (SIF_RANGE | SIF_PAGE)) {
    bool show = (Info.fMask & SIF_DISABLENOSCROLL) ||
                (v.nMax > v.nMin && static_cast<int>(v.nPage) <= v.nMax - v.nMin);
    if (show != BarShows(*w)) {
      if (show)
        w->Style |= WS_VSCROLL;
      else
        w->Style &= ~WS_VSCROLL;
      InvalidateRect(Wnd, nullptr, true);
      TSize s = ClientSize(*w);
      SendMessage(Wnd, WM_SIZE, 0, MAKELPARAM(s.cx, s.cy));
      if (!(w = Find(Wnd))) return 0;
    }
  }
  // The bar is drawn with the frame from its current state: Redraw repaints nothing of the
  // client area.
  (void)Redraw;
  return w->VBar.nPos;
}

int SetScrollPos(HWND Wnd, int Bar, int Pos, bool Redraw) {
  int old = GetScrollPos(Wnd, Bar);
  SCROLLINFO si;
  si.fMask = SIF_POS;
  si.nPos = Pos;
  SetScrollInfo(Wnd, Bar, si, Redraw);
  return old;
}

int GetScrollPos(HWND Wnd, int Bar) {
  SCROLLINFO si;
  si.fMask = SIF_POS;
  return GetScrollInfo(Wnd, Bar, si) ? si.nPos : 0;
}

bool SetScrollRange(HWND Wnd, int Bar, int MinPos, int MaxPos, bool Redraw) {
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  si.nMin = MinPos;
  si.nMax = MaxPos;
  if (!IsWindow(Wnd) || Bar != SB_VERT) return false;
  SetScrollInfo(Wnd, Bar, si, Redraw);
  return true;
}

bool GetScrollRange(HWND Wnd, int Bar, int& MinPos, int& MaxPos) {
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  if (!GetScrollInfo(Wnd, Bar, si)) return false;
  MinPos = si.nMin;
  MaxPos = si.nMax;
  return true;
}

bool ShowScrollBar(HWND Wnd, int Bar, bool Show) {
  Window* w = Find(Wnd);
  if (!w || (Bar != SB_VERT && Bar != SB_BOTH)) return false;
  if (Show == BarShows(*w)) return true;
  if (Show)
    w->Style |= WS_VSCROLL;
  else
    w->Style &= ~WS_VSCROLL;
  InvalidateRect(Wnd, nullptr, true);
  TSize s = ClientSize(*w);
  SendMessage(Wnd, WM_SIZE, 0, MAKELPARAM(s.cx, s.cy));
  return true;
}

bool GetScrollBarLayout(HWND Wnd, TScrollBarLayout& Layout) {
  Window* w = Find(Wnd);
  if (!w || !BarShows(*w)) return false;
  bool tracking = S().Track.Wnd == Wnd;
  BarGeometry g = BarLayout(*w, tracking && S().Track.Part == sbpThumb ? w->VBar.nTrackPos : w->VBar.nPos);
  Layout = TScrollBarLayout{
      g.Bar, g.Up, g.Down, g.Thumb, tracking && S().Track.Part == sbpThumb, tracking ? S().Track.Part : 0};
  return true;
}

}  // namespace vcl
