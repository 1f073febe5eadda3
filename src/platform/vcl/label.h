// TLabel: text on a form, drawn by its parent (no window of its own). It sizes itself to its
// caption (AutoSize), and an accelerator in the caption focuses its FocusControl.
#pragma once

#include <string>

#include "platform/vcl/graphic_control.h"
#include "platform/vcl/win_control.h"

namespace vcl {

class TLabel : public TGraphicControl {
 public:
  explicit TLabel(TComponent* AOwner);
  std::string ClassName() const override { return "TLabel"; }

  // Caption() / SetCaption() come from TControl.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  // The label takes the size of its text (keeping its width when it wraps).
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  // Without a background of its own the parent shows through.
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  // '&' marks an accelerator (and is not drawn); "&&" draws one '&'.
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool Value);
  // The control an accelerator of the caption focuses.
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Value);

  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  UINT DrawFlags() const;
  void AdjustBounds();

  TAlignment FAlignment = taLeftJustify;
  bool FAutoSize = true;
  bool FTransparent = false;
  bool FWordWrap = false;
  bool FShowAccelChar = true;
  TWinControl* FFocusControl = nullptr;
};

}  // namespace vcl
