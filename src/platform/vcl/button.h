// TButton: a classic push button. A press and release inside it (or Space) clicks it; on a
// form, the default button takes Enter and the cancel button Escape when no other control
// took the key (CM_DIALOGKEY). While a button has the focus it is the one Enter clicks.
#pragma once

#include <memory>
#include <string>

#include "platform/vcl/control_canvas.h"
#include "platform/vcl/dialogs.h"
#include "platform/vcl/win_control.h"

namespace vcl {

// True when Caption marks Key's letter as its accelerator ("&Save" for 'S' or 's').
bool IsAccel(Word Key, const std::string& Caption);

class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* AOwner);
  ~TButton() override;
  std::string ClassName() const override { return "TButton"; }

  // Caption() / SetCaption() come from TControl.
  // Enter clicks the default button (unless another button has the focus).
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  // Escape clicks the cancel button.
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  // Drawn pushed in: the mouse holds it down over it, or Space is held.
  bool Pressed() const { return FPressed; }
  // The button Enter would click now: the focused button, or else the default one.
  bool IsActiveDefault();

  // Clicks the button as the user would.
  void Click() override;

  void Dispatch(TMessage& Message) override;
  // The system's button class: presses, Space, WM_GETDLGCODE.
  void DefaultHandler(TMessage& Message) override;

 protected:
  bool FocusOnClick() override { return false; }  // the button window focuses itself
  void PaintWindow(HDC DC) override;
  void CMDialogKey(TMessage& Message);
  void CMDialogChar(TMessage& Message);

 private:
  bool ButtonWindowProc(TMessage& Message);
  void SetPressed(bool Value);

  std::unique_ptr<TControlCanvas> FCanvas;
  bool FDefault = false;
  bool FCancel = false;
  TModalResult FModalResult = mrNone;
  bool FPressed = false;
  bool FMouseDown = false;  // the left button went down on the button and is held
  bool FSpaceDown = false;
};

}  // namespace vcl
