#include "platform/x11/x11_display.h"

#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "platform/gfx/graphics.h"
#include "platform/gfx/surface.h"
#include "platform/vcl/screen_picture.h"
#include "platform/x11/x11_keys.h"

// Xlib last: its macros (KeyPress, None, Bool, Status...) would clash with the platform's names.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#ifdef KT_HAVE_XSHM
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#endif

// Sections: errors | pictures (XImage, XShm) | the display's windows | input | flushing

namespace vcl {

namespace {

using x11::TKeyPress;
using x11::TranslateKeyPress;
using x11::Utf8FromCp1252;
using XWindow = ::Window;  // the platform has a Window of its own

// ---- errors ---------------------------------------------------------------------------------
// A request about a window that has just gone, or a pointer grab the server refuses, is no
// reason to end the program (Xlib's default handler would): errors are counted and let be.

int gXErrors = 0;

int CountXError(Display*, XErrorEvent*) {
  ++gXErrors;
  return 0;
}

// ---- pictures -------------------------------------------------------------------------------

// How the server's pixels hold red, green and blue.
struct PixelFormat {
  unsigned long Mask[3] = {};  // red, green, blue
  int Shift[3] = {};           // lowest bit of each
  int Bits[3] = {};            // width of each

  explicit PixelFormat(const Visual* V = nullptr) {
    if (!V) return;
    const unsigned long masks[3] = {V->red_mask, V->green_mask, V->blue_mask};
    for (int i = 0; i < 3; ++i) {
      Mask[i] = masks[i];
      unsigned long m = masks[i];
      while (m && !(m & 1)) m >>= 1, ++Shift[i];
      while (m & 1) m >>= 1, ++Bits[i];
    }
  }
  // A surface pixel (0x00BBGGRR) as the server's pixel value.
  unsigned long Pack(std::uint32_t P) const {
    const std::uint32_t channel[3] = {P & 0xFF, (P >> 8) & 0xFF, (P >> 16) & 0xFF};
    unsigned long v = 0;
    for (int i = 0; i < 3; ++i) {
      unsigned long c = Bits[i] >= 8 ? channel[i] << (Bits[i] - 8) : channel[i] >> (8 - Bits[i]);
      v |= (c << Shift[i]) & Mask[i];
    }
    return v;
  }
};

// A window's picture as the server takes it: an XImage of the window's size, in shared memory
// when the server can read that.
struct Picture {
  XImage* Image = nullptr;
#ifdef KT_HAVE_XSHM
  XShmSegmentInfo Shm{};
#endif
  bool Shared = false;
};

// ---- the display's windows ------------------------------------------------------------------

struct ShownWindow {
  HWND Wnd = nullptr;
  XWindow Id = 0;
  bool Popup = false;
  bool Mapped = false;  // as asked of the server
  bool Lost = false;    // another client destroyed the X window
  TRect Placed;         // the geometry last given to, or learned from, the server
  std::string Title;
  unsigned long ConfigureSerial = 0;  // the request that last placed it: older news is stale
  bool Dirty = true;                  // the picture must be composed again
  TSurface Shown;                     // the picture last put
  Picture Image;
};

bool HostIsLittleEndian() {
  const std::uint16_t one = 1;
  return *reinterpret_cast<const unsigned char*>(&one) == 1;
}

class X11Display : public TDisplay {
 public:
  X11Display(Display* Dpy, bool UseShm);
  ~X11Display() override;

  void WindowCreated(HWND Wnd) override { Find(Wnd, true); }
  void WindowDestroyed(HWND Wnd) override { FGone.push_back(Wnd); }
  void WindowPlaced(HWND) override {}
  void ZOrderChanged() override { FRestack = true; }
  void PictureChanged(HWND Top) override {
    if (ShownWindow* w = Find(Top, false)) w->Dirty = true;
  }
  void CaptureChanged(HWND) override {}

  void Flush() override;
  bool WaitForInput(int TimeoutMs) override;
  void ProcessInput() override;

  XWindow WindowId(HWND Wnd) const {
    auto it = FWindows.find(Wnd);
    return it == FWindows.end() ? 0 : it->second.Id;
  }

 private:
  ShownWindow* Find(HWND Wnd, bool Make);
  ShownWindow* FindX(XWindow Id);
  void MakeXWindow(ShownWindow& W);
  void DestroyXWindow(ShownWindow& W);
  void SetSizeHints(ShownWindow& W);
  void SetTitle(ShownWindow& W, const std::string& Title);
  void Place(ShownWindow& W);
  void Restack();
  void PutPicture(ShownWindow& W);
  void PutRect(ShownWindow& W, const TRect& R);
  bool MakeImage(Picture& P, int Width, int Height);
  void FreeImage(Picture& P);
  void FollowGrab();
  // The platform's screen point of a point in one of the display's windows.
  TPoint ScreenPoint(XWindow Id, int X, int Y, int RootX, int RootY);
  void HandleEvent(XEvent& E);
  void HandleKey(XKeyEvent& E, bool Down);

  Display* FDpy;
  int FScreen;
  XWindow FRoot;
  Visual* FVisual;
  int FDepth;
  PixelFormat FFormat;
  GC FGC;
  bool FUseShm;
  int (*FOldErrorHandler)(Display*, XErrorEvent*) = nullptr;
  Atom FProtocols, FDeleteWindow, FNetWmName, FUtf8, FWindowType, FTypeTooltip, FTypeDropDown;
  std::map<HWND, ShownWindow> FWindows;
  std::vector<HWND> FGone;
  bool FRestack = true;
  XWindow FGrab = 0;          // the window the pointer is grabbed for while the mouse is captured
  bool FPointerLeft = false;  // the pointer left the display's windows for another client's
};

X11Display::X11Display(Display* Dpy, bool UseShm)
    : FDpy(Dpy),
      FScreen(DefaultScreen(Dpy)),
      FRoot(RootWindow(Dpy, DefaultScreen(Dpy))),
      FVisual(DefaultVisual(Dpy, DefaultScreen(Dpy))),
      FDepth(DefaultDepth(Dpy, DefaultScreen(Dpy))),
      FFormat(DefaultVisual(Dpy, DefaultScreen(Dpy))),
      FGC(DefaultGC(Dpy, DefaultScreen(Dpy))),
      FUseShm(UseShm) {
  FOldErrorHandler = XSetErrorHandler(CountXError);
  FProtocols = XInternAtom(FDpy, "WM_PROTOCOLS", False);
  FDeleteWindow = XInternAtom(FDpy, "WM_DELETE_WINDOW", False);
  FNetWmName = XInternAtom(FDpy, "_NET_WM_NAME", False);
  FUtf8 = XInternAtom(FDpy, "UTF8_STRING", False);
  FWindowType = XInternAtom(FDpy, "_NET_WM_WINDOW_TYPE", False);
  FTypeTooltip = XInternAtom(FDpy, "_NET_WM_WINDOW_TYPE_TOOLTIP", False);
  FTypeDropDown = XInternAtom(FDpy, "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU", False);
  // A held key repeats as presses alone, as it does on the platform (the repeat bit is set).
  XkbSetDetectableAutoRepeat(FDpy, True, nullptr);
  SetScreenSize(DisplayWidth(FDpy, FScreen), DisplayHeight(FDpy, FScreen));
  for (HWND h : GetTopLevelWindows()) Find(h, true);
  SetDisplay(this);
}

X11Display::~X11Display() {
  if (CurrentDisplay() == this) SetDisplay(nullptr);
  if (FGrab) XUngrabPointer(FDpy, CurrentTime);
  for (auto& [h, w] : FWindows) DestroyXWindow(w);
  XSync(FDpy, False);
  XSetErrorHandler(FOldErrorHandler);
  XCloseDisplay(FDpy);
}

ShownWindow* X11Display::Find(HWND Wnd, bool Make) {
  auto it = FWindows.find(Wnd);
  if (it != FWindows.end()) return &it->second;
  if (!Make || !IsWindow(Wnd)) return nullptr;
  ShownWindow& w = FWindows[Wnd];
  w.Wnd = Wnd;
  return &w;
}

ShownWindow* X11Display::FindX(XWindow Id) {
  for (auto& [h, w] : FWindows)
    if (w.Id == Id) return IsWindow(h) ? &w : nullptr;
  return nullptr;
}

// ---- pictures -------------------------------------------------------------------------------

bool X11Display::MakeImage(Picture& P, int Width, int Height) {
#ifdef KT_HAVE_XSHM
  if (FUseShm) {
    XImage* image = XShmCreateImage(FDpy, FVisual, static_cast<unsigned>(FDepth), ZPixmap, nullptr, &P.Shm,
                                    static_cast<unsigned>(Width), static_cast<unsigned>(Height));
    if (image) {
      P.Shm.shmid =
          shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * Height, IPC_CREAT | 0600);
      void* at = P.Shm.shmid >= 0 ? shmat(P.Shm.shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
      if (at != reinterpret_cast<void*>(-1)) {
        P.Shm.shmaddr = image->data = static_cast<char*>(at);
        P.Shm.readOnly = False;
        int errors = gXErrors;
        bool attached = XShmAttach(FDpy, &P.Shm);
        XSync(FDpy, False);
        // The segment goes once both sides let it go.
        shmctl(P.Shm.shmid, IPC_RMID, nullptr);
        if (attached && errors == gXErrors) {
          P.Image = image;
          P.Shared = true;
          return true;
        }
        shmdt(at);
      } else if (P.Shm.shmid >= 0) {
        shmctl(P.Shm.shmid, IPC_RMID, nullptr);
      }
      image->data = nullptr;
      XDestroyImage(image);
    }
    FUseShm = false;  // the server cannot read our memory (a remote display): plain requests
  }
#endif
  XImage* image = XCreateImage(FDpy, FVisual, static_cast<unsigned>(FDepth), ZPixmap, 0, nullptr,
                               static_cast<unsigned>(Width), static_cast<unsigned>(Height), 32, 0);
  if (!image) return false;
  image->data = static_cast<char*>(std::calloc(static_cast<size_t>(image->bytes_per_line) * Height, 1));
  if (!image->data) {
    XDestroyImage(image);
    return false;
  }
  P.Image = image;
  P.Shared = false;
  return true;
}

void X11Display::FreeImage(Picture& P) {
  if (!P.Image) return;
#ifdef KT_HAVE_XSHM
  if (P.Shared) {
    XShmDetach(FDpy, &P.Shm);
    XSync(FDpy, False);
    shmdt(P.Shm.shmaddr);
    P.Image->data = nullptr;
  }
#endif
  XDestroyImage(P.Image);  // frees the pixels of a plain image
  P = Picture{};
}

void X11Display::PutRect(ShownWindow& W, const TRect& R) {
  XImage* image = W.Image.Image;
  if (!image || !W.Id) return;
  TRect r;
  if (!IntersectRect(r, R, TRect{0, 0, image->width, image->height})) return;
  const auto w = static_cast<unsigned>(r.Width()), h = static_cast<unsigned>(r.Height());
#ifdef KT_HAVE_XSHM
  if (W.Image.Shared) {
    XShmPutImage(FDpy, W.Id, FGC, image, r.Left, r.Top, r.Left, r.Top, w, h, False);
    return;
  }
#endif
  XPutImage(FDpy, W.Id, FGC, image, r.Left, r.Top, r.Left, r.Top, w, h);
}

// Composes the window's picture and puts what changed since the last one.
void X11Display::PutPicture(ShownWindow& W) {
  W.Dirty = false;
  TSurface s = CaptureWindow(W.Wnd);
  if (s.Width() == 0 || s.Height() == 0) return;
  TRect changed = s.BoundsRect();
  if (!W.Image.Image || W.Image.Image->width != s.Width() || W.Image.Image->height != s.Height()) {
    FreeImage(W.Image);
    if (!MakeImage(W.Image, s.Width(), s.Height())) return;
  } else if (W.Shown.Width() == s.Width() && W.Shown.Height() == s.Height()) {
    // Only the rows and columns that changed go to the server.
    const auto& a = W.Shown.Data();
    const auto& b = s.Data();
    changed = TRect{};
    for (int y = 0; y < s.Height(); ++y) {
      const size_t row = static_cast<size_t>(y) * s.Width();
      for (int x = 0; x < s.Width(); ++x) {
        if (a[row + x] == b[row + x]) continue;
        TRect p{x, y, x + 1, y + 1};
        if (changed.IsEmpty())
          changed = p;
        else
          UnionRect(changed, changed, p);
      }
    }
    if (changed.IsEmpty()) return;
  }
  XImage* image = W.Image.Image;
  const auto& px = s.Data();
  const bool direct = image->bits_per_pixel == 32 && (image->byte_order == LSBFirst) == HostIsLittleEndian();
  for (int y = changed.Top; y < changed.Bottom; ++y) {
    const size_t row = static_cast<size_t>(y) * s.Width();
    auto* out =
        reinterpret_cast<std::uint32_t*>(image->data + static_cast<size_t>(y) * image->bytes_per_line);
    for (int x = changed.Left; x < changed.Right; ++x) {
      unsigned long v = FFormat.Pack(px[row + x]);
      if (direct)
        out[x] = static_cast<std::uint32_t>(v);
      else
        XPutPixel(image, x, y, v);
    }
  }
  W.Shown = std::move(s);
  PutRect(W, changed);
}

// ---- the display's windows ------------------------------------------------------------------

void X11Display::MakeXWindow(ShownWindow& W) {
  W.Popup = IsPopupWindow(W.Wnd);
  TRect r;
  GetWindowRect(W.Wnd, r);
  XSetWindowAttributes a{};
  a.background_pixel = FFormat.Pack(static_cast<std::uint32_t>(ColorToRGB(clBtnFace)));
  a.bit_gravity = NorthWestGravity;
  a.override_redirect = W.Popup ? True : False;
  a.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                 PointerMotionMask | EnterWindowMask | LeaveWindowMask | StructureNotifyMask |
                 FocusChangeMask;
  W.Id = XCreateWindow(FDpy, FRoot, r.Left, r.Top, static_cast<unsigned>(std::max(1, r.Width())),
                       static_cast<unsigned>(std::max(1, r.Height())), 0, CopyFromParent, InputOutput,
                       CopyFromParent, CWBackPixel | CWBitGravity | CWOverrideRedirect | CWEventMask, &a);
  W.Placed = r;
  XWMHints hints{};
  hints.flags = InputHint | StateHint;
  hints.input = W.Popup ? False : True;  // a pop-up never takes the keyboard focus
  hints.initial_state = NormalState;
  XSetWMHints(FDpy, W.Id, &hints);
  XClassHint cls{const_cast<char*>("ktlookup"), const_cast<char*>("Ktlookup")};
  XSetClassHint(FDpy, W.Id, &cls);
  if (W.Popup) {
    Atom type = GetParent(W.Wnd) ? FTypeDropDown : FTypeTooltip;
    XChangeProperty(FDpy, W.Id, FWindowType, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&type), 1);
  } else {
    XSetWMProtocols(FDpy, W.Id, &FDeleteWindow, 1);
    SetSizeHints(W);
    if (HWND owner = GetTopLevelWindow(GetParent(W.Wnd)))
      if (ShownWindow* o = Find(owner, false); o && o->Id) XSetTransientForHint(FDpy, W.Id, o->Id);
  }
  W.Dirty = true;
  FRestack = true;
}

void X11Display::DestroyXWindow(ShownWindow& W) {
  FreeImage(W.Image);
  if (W.Id) XDestroyWindow(FDpy, W.Id);
  if (FGrab == W.Id) FGrab = 0;
  W.Id = 0;
}

// A managed window stays where it is asked to be (the window manager puts its frame around it)
// and keeps its size unless its frame is sizeable.
void X11Display::SetSizeHints(ShownWindow& W) {
  XSizeHints* sh = XAllocSizeHints();
  if (!sh) return;
  sh->flags = PPosition | USPosition | PSize | PWinGravity;
  sh->x = W.Placed.Left;
  sh->y = W.Placed.Top;
  sh->width = std::max(1, W.Placed.Width());
  sh->height = std::max(1, W.Placed.Height());
  sh->win_gravity = StaticGravity;
  if (!(GetWindowLong(W.Wnd, GWL_STYLE) & WS_THICKFRAME)) {
    sh->flags |= PMinSize | PMaxSize;
    sh->min_width = sh->max_width = sh->width;
    sh->min_height = sh->max_height = sh->height;
  }
  XSetWMNormalHints(FDpy, W.Id, sh);
  XFree(sh);
}

void X11Display::SetTitle(ShownWindow& W, const std::string& Title) {
  if (W.Title == Title) return;
  W.Title = Title;
  XStoreName(FDpy, W.Id, Title.c_str());  // Latin-1, near enough for the old protocol
  const std::string utf8 = Utf8FromCp1252(Title);
  XChangeProperty(FDpy, W.Id, FNetWmName, FUtf8, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
}

// Brings the X window to the platform window's place, size and visibility.
void X11Display::Place(ShownWindow& W) {
  TRect r;
  GetWindowRect(W.Wnd, r);
  bool show = IsWindowVisible(W.Wnd) && r.Width() > 0 && r.Height() > 0;
  if (!(r == W.Placed)) {
    bool sized = r.Width() != W.Placed.Width() || r.Height() != W.Placed.Height();
    W.Placed = r;
    if (!W.Popup) SetSizeHints(W);
    W.ConfigureSerial = NextRequest(FDpy);
    XMoveResizeWindow(FDpy, W.Id, r.Left, r.Top, static_cast<unsigned>(std::max(1, r.Width())),
                      static_cast<unsigned>(std::max(1, r.Height())));
    if (sized) W.Dirty = true;
  }
  if (!W.Popup) SetTitle(W, GetWindowText(W.Wnd));
  if (show && !W.Mapped) {
    XMapWindow(FDpy, W.Id);
    W.Mapped = true;
    W.Dirty = true;
    FRestack = true;
  } else if (!show && W.Mapped) {
    XUnmapWindow(FDpy, W.Id);
    W.Mapped = false;
  }
}

// Raises the X windows back to front in the platform's z-order; a window manager may stack
// the managed ones as it likes, the pop-ups stay on top.
void X11Display::Restack() {
  FRestack = false;
  std::vector<HWND> order = GetTopLevelWindows();  // front first
  for (auto it = order.rbegin(); it != order.rend(); ++it)
    if (ShownWindow* w = Find(*it, false); w && w->Id && w->Mapped) XRaiseWindow(FDpy, w->Id);
}

// While the mouse is captured the pointer is grabbed, so moves and releases outside the
// display's windows still come to the capturing window.
void X11Display::FollowGrab() {
  XWindow want = 0;
  if (HWND capture = GetCapture())
    if (ShownWindow* w = Find(GetTopLevelWindow(capture), false); w && w->Mapped) want = w->Id;
  if (want == FGrab) return;
  if (FGrab) XUngrabPointer(FDpy, CurrentTime);
  FGrab = 0;
  if (want && XGrabPointer(
                  FDpy, want, True,
                  ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask | LeaveWindowMask,
                  GrabModeAsync, GrabModeAsync, None, None, CurrentTime) == GrabSuccess)
    FGrab = want;
}

void X11Display::Flush() {
  for (HWND h : FGone) {
    if (auto it = FWindows.find(h); it != FWindows.end()) {
      DestroyXWindow(it->second);
      FWindows.erase(it);
    }
  }
  FGone.clear();
  for (auto it = FWindows.begin(); it != FWindows.end();) {
    if (IsWindow(it->first)) {
      ++it;
      continue;
    }
    DestroyXWindow(it->second);
    it = FWindows.erase(it);
  }
  ProcessPaintMessages();
  for (HWND h : GetTopLevelWindows()) {
    ShownWindow* w = Find(h, true);
    if (!w || w->Lost) continue;
    if (!w->Id) MakeXWindow(*w);
    Place(*w);
  }
  if (FRestack) Restack();
  for (auto& [h, w] : FWindows)
    if (w.Mapped && w.Dirty) PutPicture(w);
  FollowGrab();
  // A shared picture must not be drawn over again before the server has read it.
  XSync(FDpy, False);
}

// ---- input ----------------------------------------------------------------------------------

bool X11Display::WaitForInput(int TimeoutMs) {
  if (XPending(FDpy) > 0) return true;
  XFlush(FDpy);
  pollfd p{ConnectionNumber(FDpy), POLLIN, 0};
  poll(&p, 1, TimeoutMs);
  return XPending(FDpy) > 0;
}

void X11Display::ProcessInput() {
  while (XPending(FDpy) > 0) {
    XEvent e;
    XNextEvent(FDpy, &e);
    // Of a run of pointer moves only the last counts.
    if (e.type == MotionNotify && XPending(FDpy) > 0) {
      XEvent next;
      XPeekEvent(FDpy, &next);
      if (next.type == MotionNotify && next.xmotion.window == e.xmotion.window) continue;
    }
    HandleEvent(e);
  }
  if (FPointerLeft && !GetCapture()) {
    // Over another client's window: over none of the platform's.
    InputMouseMove(TPoint{-32000, -32000});
  }
  FPointerLeft = false;
}

TPoint X11Display::ScreenPoint(XWindow Id, int X, int Y, int RootX, int RootY) {
  if (ShownWindow* w = FindX(Id)) {
    TRect r;
    GetWindowRect(w->Wnd, r);
    return TPoint{r.Left + X, r.Top + Y};
  }
  return TPoint{RootX, RootY};
}

TShiftState ShiftFromX(unsigned State) {
  TShiftState s;
  if (State & ShiftMask) s.Include(ssShift);
  if (State & ControlMask) s.Include(ssCtrl);
  if (State & Mod1Mask) s.Include(ssAlt);
  return s;
}

bool IsModifier(Word Key) {
  return Key == VK_SHIFT || Key == VK_CONTROL || Key == VK_MENU;
}

void X11Display::HandleKey(XKeyEvent& E, bool Down) {
  char text[8];
  KeySym typed = NoSymbol;
  XLookupString(&E, text, sizeof(text), &typed, nullptr);
  KeySym base = XLookupKeysym(&E, 0);
  TKeyPress k = TranslateKeyPress(static_cast<std::uint32_t>(base), static_cast<std::uint32_t>(typed),
                                  (E.state & ControlMask) != 0);
  if (!IsModifier(k.VirtKey)) InputShiftState(ShiftFromX(E.state));
  if (!Down) {
    if (k.VirtKey) InputKey(k.VirtKey, false);
    return;
  }
  if (k.VirtKey && k.Char)
    InputTypedKey(k.VirtKey, k.Char);
  else if (k.VirtKey)
    InputKey(k.VirtKey, true);
  else if (k.Char)
    InputChar(k.Char);
}

void X11Display::HandleEvent(XEvent& E) {
  switch (E.type) {
    case KeyPress: HandleKey(E.xkey, true); break;
    case KeyRelease: HandleKey(E.xkey, false); break;
    case ButtonPress:
    case ButtonRelease: {
      const XButtonEvent& b = E.xbutton;
      InputShiftState(ShiftFromX(b.state));
      TPoint p = ScreenPoint(b.window, b.x, b.y, b.x_root, b.y_root);
      bool down = E.type == ButtonPress;
      switch (b.button) {
        case Button1: InputMouseButton(mbLeft, down, p); break;
        case Button2: InputMouseButton(mbMiddle, down, p); break;
        case Button3: InputMouseButton(mbRight, down, p); break;
        case Button4:
          if (down) InputMouseWheel(120, p);
          break;
        case Button5:
          if (down) InputMouseWheel(-120, p);
          break;
        default: break;
      }
      break;
    }
    case MotionNotify: {
      const XMotionEvent& m = E.xmotion;
      InputMouseMove(ScreenPoint(m.window, m.x, m.y, m.x_root, m.y_root));
      break;
    }
    case EnterNotify: FPointerLeft = false; break;
    case LeaveNotify:
      if (E.xcrossing.mode == NotifyNormal && E.xcrossing.detail != NotifyInferior) FPointerLeft = true;
      break;
    case Expose:
      if (ShownWindow* w = FindX(E.xexpose.window)) {
        if (w->Image.Image)
          PutRect(*w, Bounds(E.xexpose.x, E.xexpose.y, E.xexpose.width, E.xexpose.height));
        else
          w->Dirty = true;
      }
      break;
    case ConfigureNotify:
      // A window manager moved (or a person resized) a managed window: the platform follows.
      if (ShownWindow* w = FindX(E.xconfigure.window);
          w && !w->Popup && E.xany.serial >= w->ConfigureSerial) {
        int x = 0, y = 0;
        XWindow child;
        XTranslateCoordinates(FDpy, w->Id, FRoot, 0, 0, &x, &y, &child);
        TRect r = Bounds(x, y, E.xconfigure.width, E.xconfigure.height);
        TRect now;
        GetWindowRect(w->Wnd, now);
        if (!(r == now)) {
          w->Placed = r;
          SetWindowPos(w->Wnd, nullptr, r.Left, r.Top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
        }
      }
      break;
    case MapNotify:
      // Without a window manager nobody else gives the active window the keyboard.
      if (ShownWindow* w = FindX(E.xmap.window); w && !w->Popup && GetActiveWindow() == w->Wnd)
        XSetInputFocus(FDpy, w->Id, RevertToParent, CurrentTime);
      break;
    case FocusIn:
      if (ShownWindow* w = FindX(E.xfocus.window);
          w && !w->Popup && E.xfocus.mode != NotifyGrab && GetActiveWindow() != w->Wnd)
        InputActivate(w->Wnd);
      break;
    case ClientMessage:
      // The window manager's close button ends the program.
      if (E.xclient.message_type == FProtocols && static_cast<Atom>(E.xclient.data.l[0]) == FDeleteWindow)
        if (ShownWindow* w = FindX(E.xclient.window)) {
          InputClose(w->Wnd);
          PostQuitMessage(0);
        }
      break;
    case DestroyNotify:
      // Another client destroyed one of the display's windows: as good as closing it.
      if (ShownWindow* w = FindX(E.xdestroywindow.window)) {
        FreeImage(w->Image);
        w->Id = 0;
        w->Mapped = false;
        w->Lost = true;
        InputClose(w->Wnd);
        PostQuitMessage(0);
      }
      break;
    case MappingNotify:
      if (E.xmapping.request != MappingPointer) XRefreshKeyboardMapping(&E.xmapping);
      break;
    default: break;
  }
}

}  // namespace

bool X11DisplayAvailable() {
  return true;
}

std::unique_ptr<TDisplay> OpenX11Display(const std::string& Name, std::string& Error) {
  const char* env = std::getenv("DISPLAY");
  const std::string shown = !Name.empty() ? Name : env && *env ? env : "";
  if (shown.empty()) {
    Error = "no X display: DISPLAY is not set";
    return nullptr;
  }
  Display* dpy = XOpenDisplay(shown.c_str());
  if (!dpy) {
    Error = "cannot open the X display " + shown;
    return nullptr;
  }
  const Visual* v = DefaultVisual(dpy, DefaultScreen(dpy));
  if (v->c_class != TrueColor || DefaultDepth(dpy, DefaultScreen(dpy)) < 15) {
    XCloseDisplay(dpy);
    Error = "the X display " + shown + " has no true-colour visual of 15 bits or more";
    return nullptr;
  }
  bool shm = false;
#ifdef KT_HAVE_XSHM
  const char* noShm = std::getenv("KT_X11_NO_SHM");
  shm = XShmQueryExtension(dpy) && !(noShm && *noShm && std::strcmp(noShm, "0") != 0);
#endif
  return std::make_unique<X11Display>(dpy, shm);
}

unsigned long X11WindowOf(HWND Wnd) {
  auto* d = dynamic_cast<X11Display*>(CurrentDisplay());
  return d ? d->WindowId(Wnd) : 0;
}

}  // namespace vcl
