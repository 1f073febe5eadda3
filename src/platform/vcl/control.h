// TControl: the base of every control. Position and size in its parent's client area, the
// visual properties that children may take from their parent (colour, font, bidirectional
// mode, hints), mouse and click handling, and message dispatch.
#pragma once

#include <bitset>
#include <functional>
#include <memory>
#include <string>

#include "platform/base/classes.h"
#include "platform/base/geometry.h"
#include "platform/base/set.h"
#include "platform/gfx/graphics.h"
#include "platform/win/messages.h"

namespace vcl {

class TWinControl;

// ---- enumerations and sets ------------------------------------------------------------------

enum class TControlStyleItem {
  csAcceptsControls,  // may be the parent of other controls
  csCaptureMouse,     // captures the mouse while a button is down
  csDesignInteractive,
  csClickEvents,  // a press and release inside makes Click
  csFramed,
  csSetCaption,
  csOpaque,        // paints its whole client area (no erase needed)
  csDoubleClicks,  // wants double clicks (its window class has CS_DBLCLKS)
  csFixedWidth,
  csFixedHeight,
  csNoDesignVisible,
  csReplicatable,
  csNoStdEvents,  // no OnMouseDown / OnKeyDown ... events
  csDisplayDragImage,
  csReflector,
  csActionClient,
  csMenuEvents,
};
using enum TControlStyleItem;
using TControlStyle = Set<TControlStyleItem>;

enum class TControlStateItem {
  csLButtonDown,  // the left button went down on the control and is still down
  csClicked,
  csPalette,
  csReadingState,
  csAlignmentNeeded,
  csFocusing,  // the form is moving the focus to this control
  csCreating,
  csPaintCopy,
  csCustomPaint,
  csDestroyingHandle,
  csDocking,
};
using enum TControlStateItem;
using TControlState = Set<TControlStateItem>;

enum class TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
using enum TBiDiMode;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
using enum TAlign;

// Controls use bsNone and bsSingle; forms use the whole range.
enum class TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using enum TBorderStyle;
using TFormBorderStyle = TBorderStyle;

using TCursor = std::int16_t;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4;
constexpr TCursor crSizeNS = -7, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11;
constexpr TCursor crNo = -12, crHandPoint = -21;

// ---- events ---------------------------------------------------------------------------------

using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent =
    std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;

// ---- globals --------------------------------------------------------------------------------

// Whether the system draws controls in the newer style (true unless a test switches it off).
extern bool NewStyleControls;

struct TSysLocale {
  bool MiddleEast = false;  // a right-to-left locale
  bool FarEast = false;     // a double-byte locale
};
extern TSysLocale SysLocale;

// The lead bytes of the double-byte code page: empty unless a test sets a double-byte locale.
class TByteSet {
 public:
  bool Contains(unsigned char B) const { return FBits.test(B); }
  void Include(unsigned char B) { FBits.set(B); }
  void IncludeRange(unsigned char From, unsigned char To) {
    for (unsigned b = From; b <= To; ++b) FBits.set(b);
  }
  void Clear() { FBits.reset(); }
  bool Empty() const { return FBits.none(); }

 private:
  std::bitset<256> FBits;
};
extern TByteSet LeadBytes;

// Shift state from the key data of a keyboard message (Alt from its context bit) and the
// key state; from the MK_ flags of a mouse message.
TShiftState KeyDataToShiftState(LPARAM KeyData);
TShiftState KeysToShiftState(WPARAM Keys);

// ChangeBiDiModeAlignment comes with the drawing helpers of gfx/graphics.h.

// ---- TControl -------------------------------------------------------------------------------

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;
  std::string ClassName() const override { return "TControl"; }

  // Parent and placement.
  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
  virtual TRect ClientRect();
  int ClientWidth() { return ClientRect().Width(); }
  int ClientHeight() { return ClientRect().Height(); }
  void SetClientWidth(int Value);
  void SetClientHeight(int Value);
  // The screen position of the client area's top-left corner.
  virtual TPoint ClientOrigin();
  TPoint ClientToScreen(TPoint P);
  TPoint ScreenToClient(TPoint P);
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value) { FAlign = Value; }

  // Visibility and state.
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  virtual bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
  TControlState ControlState() const { return FControlState; }
  void SetControlState(TControlState Value) { FControlState = Value; }
  bool MouseCapture();
  void SetMouseCapture(bool Value);

  // Appearance that may follow the parent.
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode Value);
  bool ParentBiDiMode() const { return FParentBiDiMode; }
  void SetParentBiDiMode(bool Value);
  virtual bool UseRightToLeftAlignment();
  bool UseRightToLeftReading();
  bool UseRightToLeftScrollBar();
  bool IsRightToLeft();
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool Value);

  // The text (the caption of a label or form, the contents of an edit), through WM_GETTEXT
  // and WM_SETTEXT, so a control's window may keep it.
  std::string Text();
  void SetText(const std::string& Value);
  std::string Caption() { return Text(); }
  void SetCaption(const std::string& Value) { SetText(Value); }

  // Painting.
  virtual void Invalidate();
  virtual void Update() {}
  virtual void Repaint();
  void Refresh() { Repaint(); }

  // Messages. Perform dispatches directly (no exception handling); WndProc is the first
  // stop of every message, Dispatch routes it to its handler, DefaultHandler takes the rest.
  LRESULT Perform(Cardinal Msg, WPARAM WParam, LPARAM LParam);
  virtual void WndProc(TMessage& Message);
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  bool ExecuteAction(TBasicAction* Action) override;
  bool UpdateAction(TBasicAction* Action) override;

  // Events.
  const TNotifyEvent& OnClick() const { return FOnClick; }
  void SetOnClick(TNotifyEvent V) { FOnClick = std::move(V); }
  const TNotifyEvent& OnDblClick() const { return FOnDblClick; }
  void SetOnDblClick(TNotifyEvent V) { FOnDblClick = std::move(V); }
  const TMouseEvent& OnMouseDown() const { return FOnMouseDown; }
  void SetOnMouseDown(TMouseEvent V) { FOnMouseDown = std::move(V); }
  const TMouseMoveEvent& OnMouseMove() const { return FOnMouseMove; }
  void SetOnMouseMove(TMouseMoveEvent V) { FOnMouseMove = std::move(V); }
  const TMouseEvent& OnMouseUp() const { return FOnMouseUp; }
  void SetOnMouseUp(TMouseEvent V) { FOnMouseUp = std::move(V); }
  const TMouseWheelEvent& OnMouseWheel() const { return FOnMouseWheel; }
  void SetOnMouseWheel(TMouseWheelEvent V) { FOnMouseWheel = std::move(V); }
  const TMouseWheelUpDownEvent& OnMouseWheelDown() const { return FOnMouseWheelDown; }
  void SetOnMouseWheelDown(TMouseWheelUpDownEvent V) { FOnMouseWheelDown = std::move(V); }
  const TMouseWheelUpDownEvent& OnMouseWheelUp() const { return FOnMouseWheelUp; }
  void SetOnMouseWheelUp(TMouseWheelUpDownEvent V) { FOnMouseWheelUp = std::move(V); }
  const TContextPopupEvent& OnContextPopup() const { return FOnContextPopup; }
  void SetOnContextPopup(TContextPopupEvent V) { FOnContextPopup = std::move(V); }
  const TNotifyEvent& OnResize() const { return FOnResize; }
  void SetOnResize(TNotifyEvent V) { FOnResize = std::move(V); }

 protected:
  // Dynamic methods: each fires its event when assigned.
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  // Collects wheel deltas and calls DoMouseWheelDown/Up once per whole notch; true when a
  // handler took the wheel.
  virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
  virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
  virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
  virtual void DoContextPopup(TPoint MousePos, bool& Handled);
  virtual void Resize();
  // Hands WM_MOUSEWHEEL to the control the form has made active.
  virtual void MouseWheelHandler(TMessage& Message);

  // Message handlers.
  void WMLButtonDown(TMessage& Message);
  void WMLButtonDblClk(TMessage& Message);
  void WMLButtonUp(TMessage& Message);
  void WMRButtonDown(TMessage& Message);
  void WMRButtonUp(TMessage& Message);
  void WMMButtonDown(TMessage& Message);
  void WMMButtonUp(TMessage& Message);
  void WMMouseMove(TMessage& Message);
  void WMCancelMode(TMessage& Message);
  void WMMouseWheel(TMessage& Message);
  void WMContextMenu(TMessage& Message);
  void CMMouseWheel(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMParentColorChanged(TMessage& Message);
  void CMParentFontChanged(TMessage& Message);
  void CMParentShowHintChanged(TMessage& Message);
  void CMBiDiModeChanged(TMessage& Message);
  void CMParentBiDiModeChanged(TMessage& Message);

  // Sends CM_CANCELMODE to the form's active control, with this control as the sender.
  void SendCancelMode();
  void DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift);
  void DoMouseUp(TMessage& Message, TMouseButton Button);
  void FontChanged();
  // Sets the bounds without telling anyone (the window moved them).
  void StoreBounds(int ALeft, int ATop, int AWidth, int AHeight);

  TWinControl* FParent = nullptr;
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  TAlign FAlign = alNone;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor = clWindow;
  bool FParentColor = true;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  TCursor FCursor = crDefault;
  TBiDiMode FBiDiMode = bdLeftToRight;
  bool FParentBiDiMode = true;
  std::string FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  std::string FText;
  TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControlState FControlState;
  int FWheelAccumulator = 0;
  TNotifyEvent FOnClick;
  TNotifyEvent FOnDblClick;
  TMouseEvent FOnMouseDown;
  TMouseMoveEvent FOnMouseMove;
  TMouseEvent FOnMouseUp;
  TMouseWheelEvent FOnMouseWheel;
  TMouseWheelUpDownEvent FOnMouseWheelDown;
  TMouseWheelUpDownEvent FOnMouseWheelUp;
  TContextPopupEvent FOnContextPopup;
  TNotifyEvent FOnResize;

  friend class TWinControl;
};

// The control that holds the mouse capture, or nullptr.
TControl* GetCaptureControl();

}  // namespace vcl
