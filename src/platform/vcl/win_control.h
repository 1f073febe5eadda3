// TWinControl: a control with a window. It owns its window handle (made when first needed),
// parents other controls, takes the focus, receives the keyboard, and passes its colour, font,
// Ctl3D and bidirectional mode on to children that follow their parent.
#pragma once

#include <vector>

#include "platform/vcl/control.h"

namespace vcl {

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  // Frees the owned components and the child controls, and the window, while this object is
  // still a TWinControl.
  ~TWinControl() override;
  std::string ClassName() const override { return "TWinControl"; }

  // Children.
  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int Index) const { return FControls.at(static_cast<size_t>(Index)); }
  bool ContainsControl(const TControl* Control) const;  // itself or a descendant
  // Sends the message to every child until one answers with a non-zero result.
  void Broadcast(TMessage& Message);
  void NotifyControls(Cardinal Msg);

  // The window.
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  void RecreateWnd();
  HWND ParentWindow() const { return FParentWindow; }
  // Places a parentless control in a window that is not a control's.
  void SetParentWindow(HWND Value);
  bool Showing() const { return FShowing; }

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  TRect ClientRect() override;
  TPoint ClientOrigin() override;
  void Invalidate() override;
  void Update() override;
  void Repaint() override;

  // Focus.
  virtual bool CanFocus();
  // The focus is this control's window. A composite control may answer for its parts.
  virtual bool Focused() const;
  virtual void SetFocus();
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value);
  int TabOrder() const;
  void SetTabOrder(int Value);
  // The focusable controls inside, in tab order (a child's children after it).
  void GetTabOrderList(std::vector<TWinControl*>& List);
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value);
  bool ParentCtl3D() const { return FParentCtl3D; }
  void SetParentCtl3D(bool Value);
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int Value);

  // The window procedure the window system calls: WndProc, with every exception handed to
  // Application->HandleException.
  void MainWndProc(TMessage& Message);
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

  const TKeyEvent& OnKeyDown() const { return FOnKeyDown; }
  void SetOnKeyDown(TKeyEvent V) { FOnKeyDown = std::move(V); }
  const TKeyPressEvent& OnKeyPress() const { return FOnKeyPress; }
  void SetOnKeyPress(TKeyPressEvent V) { FOnKeyPress = std::move(V); }
  const TKeyEvent& OnKeyUp() const { return FOnKeyUp; }
  void SetOnKeyUp(TKeyEvent V) { FOnKeyUp = std::move(V); }
  const TNotifyEvent& OnEnter() const { return FOnEnter; }
  void SetOnEnter(TNotifyEvent V) { FOnEnter = std::move(V); }
  const TNotifyEvent& OnExit() const { return FOnExit; }
  void SetOnExit(TNotifyEvent V) { FOnExit = std::move(V); }

 protected:
  // Window creation: CreateParams describes the window, CreateWnd makes it (through
  // CreateWindowHandle), DestroyWnd destroys it. Children's windows are made when they show.
  virtual void CreateParams(TCreateParams& Params);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& Params);
  virtual void DestroyWnd();
  void CreateHandle();
  void DestroyHandle();
  // Adds WS_EX_RTLREADING, WS_EX_LEFTSCROLLBAR, WS_EX_RIGHT for the bidirectional mode.
  void AddBiDiModeExStyle(DWORD& ExStyle);

  // The handling of the window's class: what the window does with a message nobody handled.
  virtual void DefWndProc(TMessage& Message);
  // Whether a left press focuses the control before anything else (as edit and button
  // windows do); TCustomControl descendants focus themselves in MouseDown instead.
  virtual bool FocusOnClick();

  // Painting: WM_PAINT calls PaintWindow with the window's device context (after
  // WM_ERASEBKGND filled the client area with Color when the window was invalidated with
  // erase), then PaintControls.
  virtual void PaintWindow(HDC DC);
  // Paints the visible non-windowed children back to front (WM_PAINT with a context on each
  // one's bounds), after the control's own painting.
  void PaintControls(HDC DC);
  void PaintHandler(TMessage& Message);

  // Dynamic methods.
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual void KeyUp(Word& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  virtual void DoEnter();
  virtual void DoExit();
  bool DoKeyDown(TMessage& Message);
  bool DoKeyUp(TMessage& Message);
  bool DoKeyPress(TMessage& Message);

  // Insertion and removal of children (SetParent calls these).
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  // Gives up the focus held by this control or one inside it.
  void RemoveFocus(bool Removing);
  void UpdateControlState();
  void UpdateShowing();
  // Takes the bounds from the window after it moved.
  void UpdateBounds();

  // Offers a key the focused control does not want as CM_DIALOGKEY: to this control and its
  // parents, innermost first, then to the rest of the form. True when one took it.
  bool DialogKey(Word Key, LPARAM KeyData);

  // Message handlers.
  void WMSetFocus(TMessage& Message);
  void WMKillFocus(TMessage& Message);
  void WMKeyDown(TMessage& Message);
  void WMKeyUp(TMessage& Message);
  void WMChar(TMessage& Message);
  void WMPaint(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void WMWindowPosChanged(TMessage& Message);
  void WMNCDestroy(TMessage& Message);
  void CNKeyDown(TMessage& Message);
  void CNChar(TMessage& Message);
  void CNSysChar(TMessage& Message);
  void CMEnter(TMessage& Message);
  void CMExit(TMessage& Message);
  void CMDialogChar(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMCtl3DChanged(TMessage& Message);
  void CMParentCtl3DChanged(TMessage& Message);
  void CMBiDiModeChanged(TMessage& Message);
  void CMVisibleChanged(TMessage& Message);
  void CMShowingChanged(TMessage& Message);
  void CMShowHintChanged(TMessage& Message);
  void CMRecreateWnd(TMessage& Message);

  HWND FHandle = nullptr;
  HWND FParentWindow = nullptr;
  bool FShowing = false;
  bool FTabStop = false;
  bool FCtl3D = true;
  bool FParentCtl3D = true;
  int FBorderWidth = 0;
  std::vector<TControl*> FControls;
  std::vector<TWinControl*> FTabList;
  TKeyEvent FOnKeyDown;
  TKeyPressEvent FOnKeyPress;
  TKeyEvent FOnKeyUp;
  TNotifyEvent FOnEnter;
  TNotifyEvent FOnExit;

  friend class TControl;
  friend class TForm;
};

// The control whose window this is, or nullptr.
TWinControl* FindControl(HWND Handle);

}  // namespace vcl
