#include "platform/vcl/form.h"

#include <algorithm>
#include <memory>

#include "platform/vcl/application.h"
#include "platform/win/window_system.h"

namespace vcl {

TScreen* Screen = new TScreen(nullptr);  // lives as long as the program

TForm* GetParentForm(TControl* Control) {
  if (!Control) return nullptr;
  while (Control->Parent()) Control = Control->Parent();
  return dynamic_cast<TForm*>(Control);
}

// ---- TForm ----------------------------------------------------------------------------------

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle =
      TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FVisible = false;
  FColor = clBtnFace;
  FParentColor = false;
  FParentFont = false;
  FParentCtl3D = false;
  FParentBiDiMode = false;
  FParentShowHint = false;
  StoreBounds(0, 0, 320, 240);
  if (Screen) Screen->AddForm(this);
}

TForm::~TForm() {
  Destroying();
  if (Screen) Screen->RemoveForm(this);
  if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
  // The controls go while this is still a form.
  DestroyComponents();
  while (!FControls.empty()) delete FControls.back();
  FActiveControl = FFocusedControl = nullptr;
  DestroyHandle();
  SetParent(nullptr);
}

void TForm::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (!Enabled()) Params.Style |= WS_DISABLED;
  Params.WndParent = nullptr;
  switch (FBorderStyle) {
    case bsNone: Params.Style |= WS_POPUP; break;
    case bsSingle: Params.Style |= WS_CAPTION | WS_SYSMENU; break;
    case bsSizeable: Params.Style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME; break;
    case bsDialog:
      Params.Style |= WS_CAPTION | WS_SYSMENU;
      Params.ExStyle |= WS_EX_DLGMODALFRAME;
      break;
    case bsToolWindow:
      Params.Style |= WS_CAPTION | WS_SYSMENU;
      Params.ExStyle |= WS_EX_TOOLWINDOW;
      break;
    case bsSizeToolWin:
      Params.Style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
      Params.ExStyle |= WS_EX_TOOLWINDOW;
      break;
  }
}

void TForm::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TForm::SetActiveControl(TWinControl* Control) {
  if (FActiveControl == Control) return;
  bool loading = ComponentState().Contains(csLoading);
  if (Control && (Control == this || GetParentForm(Control) != this || !(loading || Control->CanFocus())))
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  FActiveControl = Control;
  if (!loading && FActive) SetWindowFocus();
}

void TForm::FocusControl(TWinControl* Control) {
  bool wasActive = FActive;
  auto alive = Alive();
  SetActiveControl(Control);  // the focus handlers may free this form
  if (alive && !wasActive) SetFocus();
}

void TForm::SetFocus() {
  if (FActive) return;
  if (!(Visible() && Enabled())) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  SetWindowFocus();
}

void TForm::SetWindowFocus() {
  HWND h = FActiveControl && FFormStyle != fsMDIForm ? FActiveControl->Handle() : Handle();
  if (h && GetFocus() != h) vcl::SetFocus(h);
}

void TForm::SetActive(bool Value) {
  FActive = Value;
  if (!Value) return;
  if (!FActiveControl && !ComponentState().Contains(csDesigning)) {
    if (TWinControl* first = FindNextControl(nullptr, true, true, false)) FActiveControl = first;
  }
  SetWindowFocus();
}

namespace {
// Counts the focus changes of all forms: a handler may move the focus to another form.
int gFocusCount = 0;

// Sends a focus notification; false when a handler moved the focus meanwhile.
bool SendFocusMessage(HWND Wnd, UINT Msg) {
  int count = gFocusCount;
  SendMessage(Wnd, Msg, 0, 0);
  return gFocusCount == count;
}
}  // namespace

bool TForm::SetFocusedControl(TWinControl* Control) {
  ++gFocusCount;
  // The activate, deactivate, exit and enter handlers may free this form or the control (a
  // form freed on Tab): each step checks both, and a freed one ends the move.
  auto alive = Alive();
  auto controlAlive = Control->Alive();
  auto send = [&](HWND Wnd, UINT Msg) { return SendFocusMessage(Wnd, Msg) && alive && controlAlive; };
  FActiveControl = Control != this ? Control : nullptr;
  if (Screen) {
    Screen->FActiveControl = Control;
    Screen->FActiveForm = this;
  }
  if (Control->FControlState.Contains(csFocusing)) return false;
  Control->FControlState.Include(csFocusing);
  struct Clear {  // an exit or enter handler may free the control
    TWinControl* C;
    TAliveToken Alive;
    ~Clear() {
      if (Alive) C->FControlState.Exclude(csFocusing);
    }
  } clear{Control, Control->Alive()};
  if (Screen && Screen->FFocusedForm != this) {
    if (TForm* old = Screen->FFocusedForm) {
      Screen->FFocusedForm = nullptr;
      if (!send(old->Handle(), CM_DEACTIVATE)) return false;
    }
    Screen->FFocusedForm = this;
    if (!send(Handle(), CM_ACTIVATE)) return false;
  }
  if (!FFocusedControl) FFocusedControl = this;
  if (FFocusedControl != Control) {
    // Exit up from the old control to the first parent that holds the new one...
    while (FFocusedControl && !FFocusedControl->ContainsControl(Control)) {
      HWND h = FFocusedControl->Handle();
      FFocusedControl = FFocusedControl->FParent;
      if (!send(h, CM_EXIT)) return false;
    }
    // ...then enter down to the new one.
    while (FFocusedControl != Control) {
      TWinControl* c = Control;
      while (c->FParent != FFocusedControl) c = c->FParent;
      FFocusedControl = c;
      if (!send(c->Handle(), CM_ENTER)) return false;
    }
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
  }
  return alive && controlAlive;
}

void TForm::DefocusControl(TWinControl* Control, bool Removing) {
  if (Removing && Control->ContainsControl(FFocusedControl)) FFocusedControl = Control->FParent;
  if (Screen && Control->ContainsControl(Screen->FActiveControl)) Screen->FActiveControl = nullptr;
  if (!Control->ContainsControl(FActiveControl)) return;
  if (ComponentState().Contains(csDestroying)) {
    FActiveControl = nullptr;
    return;
  }
  // The focus moves to the form: the control's OnExit may free it (or this form). Nothing of
  // either is touched afterwards.
  SetActiveControl(nullptr);
}

void TForm::Close() {
  Hide();
}

void TForm::Release() {
  PostMessage(Handle(), CM_RELEASE, 0, 0);
}

void TForm::Activate() {
  CallEvent(FOnActivate, this);  // the handler may free this control
}

void TForm::Deactivate() {
  CallEvent(FOnDeactivate, this);  // the handler may free this control
}

void TForm::MouseWheelHandler(TMessage& Message) {
  TWinControl* target = FActiveControl ? FActiveControl : FFocusedControl;
  if (target && target != this)
    Message.Result = target->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
  else
    TWinControl::MouseWheelHandler(Message);
}

void TForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ACTIVATE: WMActivate(Message); break;
    case WM_CLOSE: WMClose(Message); break;
    case CM_DIALOGKEY: CMDialogKey(Message); break;
    case CM_ACTIVATE: CMActivate(Message); break;
    case CM_DEACTIVATE: CMDeactivate(Message); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); break;
    case CM_RELEASE: delete this; break;  // nothing of this form may be touched afterwards
    default: TWinControl::Dispatch(Message); break;
  }
}

void TForm::WMActivate(TMessage& Message) {
  if (FFormStyle != fsMDIForm) SetActive(LOWORD(Message.WParam) != WA_INACTIVE);
}

void TForm::WMClose(TMessage&) {
  Close();
}

void TForm::CMDialogKey(TMessage& Message) {
  if (GetKeyState(VK_MENU) >= 0) {
    switch (Message.WParam) {
      case VK_TAB:
        if (GetKeyState(VK_CONTROL) >= 0) {
          SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
          Message.Result = 1;
          return;
        }
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        if (FActiveControl && FActiveControl->FParent) {
          FActiveControl->FParent->SelectNext(FActiveControl,
                                              Message.WParam == VK_RIGHT || Message.WParam == VK_DOWN, false);
          Message.Result = 1;
        }
        return;
      default: break;
    }
  }
  TWinControl::Dispatch(Message);
}

void TForm::CMActivate(TMessage&) {
  Activate();
}
void TForm::CMDeactivate(TMessage&) {
  Deactivate();
}

void TForm::CMShowingChanged(TMessage&) {
  ShowWindow(FHandle, FShowing ? SW_SHOWNORMAL : SW_HIDE);
}

// ---- TScreen --------------------------------------------------------------------------------

int TScreen::Width() const {
  return GetSystemMetrics(SM_CXSCREEN);
}
int TScreen::Height() const {
  return GetSystemMetrics(SM_CYSCREEN);
}

void TScreen::AddForm(TForm* Form) {
  FForms.push_back(Form);
}

void TScreen::RemoveForm(TForm* Form) {
  std::erase(FForms, Form);
  if (FActiveForm == Form) FActiveForm = nullptr;
  if (FFocusedForm == Form) FFocusedForm = nullptr;
  if (FActiveControl && GetParentForm(FActiveControl) == Form) FActiveControl = nullptr;
}

void TScreen::ControlGone(TWinControl* Control) {
  if (FActiveControl == Control) FActiveControl = nullptr;
}

void TScreen::Reset() {
  FActiveForm = nullptr;
  FActiveControl = nullptr;
  FFocusedForm = nullptr;
  FCursor = crDefault;
}

}  // namespace vcl
