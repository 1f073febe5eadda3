// TForm, a top-level window that keeps track of its active control and moves the focus
// between its controls; TScreen, the global view of forms and the screen; GetParentForm.
#pragma once

#include <vector>

#include "platform/vcl/win_control.h"

namespace vcl {

enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
using enum TFormStyle;

class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;
  std::string ClassName() const override { return "TForm"; }

  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value) { FFormStyle = Value; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool Value) { FKeyPreview = Value; }
  bool Active() const { return FActive; }

  // The control that has, or gets when the form activates, the focus.
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Control);
  // The innermost control the enter/exit notifications have reached.
  TWinControl* FocusedControl() const { return FFocusedControl; }
  // Makes Control the active control and moves the window focus to it.
  void FocusControl(TWinControl* Control);
  // Called when Control's window gets the focus: sends CM_EXIT up from the old focused
  // control to the common parent and CM_ENTER down to Control. False when a handler moved
  // the focus elsewhere meanwhile (the caller then drops the WM_SETFOCUS).
  virtual bool SetFocusedControl(TWinControl* Control);
  // Forgets Control (and what it holds) as the active or focused control.
  void DefocusControl(TWinControl* Control, bool Removing);

  void SetFocus() override;
  bool CanFocus() override { return Visible() && Enabled(); }
  void Close();
  void Release();

  const TNotifyEvent& OnActivate() const { return FOnActivate; }
  void SetOnActivate(TNotifyEvent V) { FOnActivate = std::move(V); }
  const TNotifyEvent& OnDeactivate() const { return FOnDeactivate; }
  void SetOnDeactivate(TNotifyEvent V) { FOnDeactivate = std::move(V); }

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  bool FocusOnClick() override { return false; }
  void MouseWheelHandler(TMessage& Message) override;
  virtual void Activate();
  virtual void Deactivate();
  void SetActive(bool Value);
  void SetWindowFocus();

  void WMActivate(TMessage& Message);
  void WMClose(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  void CMActivate(TMessage& Message);
  void CMDeactivate(TMessage& Message);
  void CMShowingChanged(TMessage& Message);

  TFormStyle FFormStyle = fsNormal;
  TBorderStyle FBorderStyle = bsSizeable;
  bool FKeyPreview = false;
  bool FActive = false;
  TWinControl* FActiveControl = nullptr;
  TWinControl* FFocusedControl = nullptr;
  TNotifyEvent FOnActivate;
  TNotifyEvent FOnDeactivate;

  friend class TWinControl;
};

using TCustomForm = TForm;

// The form that holds the control (the control itself when it is a form), or nullptr.
TForm* GetParentForm(TControl* Control);

class TScreen : public TComponent {
 public:
  explicit TScreen(TComponent* AOwner) : TComponent(AOwner) {}
  std::string ClassName() const override { return "TScreen"; }

  int Width() const;
  int Height() const;
  TForm* ActiveForm() const { return FActiveForm; }
  TForm* ActiveCustomForm() const { return FActiveForm; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  TForm* FocusedForm() const { return FFocusedForm; }
  int FormCount() const { return static_cast<int>(FForms.size()); }
  TForm* Forms(int Index) const { return FForms.at(static_cast<size_t>(Index)); }
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value) { FCursor = Value; }

  // Forgets everything (tests).
  void Reset();

 private:
  void AddForm(TForm* Form);
  void RemoveForm(TForm* Form);
  void ControlGone(TWinControl* Control);

  TForm* FActiveForm = nullptr;
  TWinControl* FActiveControl = nullptr;
  TForm* FFocusedForm = nullptr;
  std::vector<TForm*> FForms;
  TCursor FCursor = crDefault;

  friend class TForm;
  friend class TWinControl;
};

extern TScreen* Screen;

}  // namespace vcl
