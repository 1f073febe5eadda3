#include "platform/vcl/label.h"

#include "platform/vcl/button.h"
#include "platform/win/window_system.h"

namespace vcl {

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle = TControlStyle{csReplicatable, csOpaque};
  FWidth = 65;
  FHeight = 17;
}

void TLabel::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  Invalidate();
}

void TLabel::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  AdjustBounds();
}

void TLabel::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  if (Value)
    FControlStyle.Exclude(csOpaque);
  else
    FControlStyle.Include(csOpaque);
  Invalidate();
}

void TLabel::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  Invalidate();
  AdjustBounds();  // last: an OnResize handler may free the label
}

void TLabel::SetShowAccelChar(bool Value) {
  if (Value == FShowAccelChar) return;
  FShowAccelChar = Value;
  Invalidate();
  AdjustBounds();  // last: an OnResize handler may free the label
}

void TLabel::SetFocusControl(TWinControl* Value) {
  if (Value == FFocusControl) return;
  FFocusControl = Value;
  if (Value) Value->FreeNotification(this);
}

void TLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

UINT TLabel::DrawFlags() const {
  UINT flags = FAlignment == taRightJustify ? DT_RIGHT : FAlignment == taCenter ? DT_CENTER : DT_LEFT;
  if (FWordWrap) flags |= DT_WORDBREAK;
  if (!FShowAccelChar) flags |= DT_NOPREFIX;
  return flags;
}

void TLabel::AdjustBounds() {
  if (!FAutoSize || ComponentState().Contains(csLoading)) return;
  const std::string caption = Caption();
  TRect r{0, 0, FWordWrap ? FWidth : 0, 0};
  HDC dc = Canvas()->Handle();
  DrawTextA(dc, caption.empty() ? " " : caption.c_str(),
            caption.empty() ? 1 : static_cast<int>(caption.size()), &r, DrawFlags() | DT_CALCRECT);
  int left = FLeft;
  if (FAlignment == taRightJustify) left += FWidth - r.Right;
  if (FAlignment == taCenter) left += (FWidth - r.Right) / 2;
  SetBounds(left, FTop, r.Right, r.Bottom);
}

void TLabel::Paint() {
  TCanvas& c = *Canvas();
  TRect r = ClientRect();
  if (!FTransparent) {
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(Color());
    c.FillRect(r);
  }
  const std::string caption = Caption();
  HDC dc = c.Handle();
  SetBkMode(dc, TRANSPARENT);
  const int n = static_cast<int>(caption.size());
  if (!Enabled()) {
    // Disabled text is engraved: a light copy one pixel down and right, a shadow on top.
    TRect light = r;
    OffsetRect(light, 1, 1);
    SetTextColor(dc, clBtnHighlight);
    DrawTextA(dc, caption.c_str(), n, &light, DrawFlags());
    SetTextColor(dc, clBtnShadow);
  } else {
    SetTextColor(dc, Font()->Color());
  }
  DrawTextA(dc, caption.c_str(), n, &r, DrawFlags());
}

void TLabel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
      Invalidate();
      AdjustBounds();  // last: an OnResize handler may free the label
      break;
    case CM_FONTCHANGED:
      TGraphicControl::Dispatch(Message);
      AdjustBounds();
      break;
    case CM_DIALOGCHAR:
      if (FFocusControl && Enabled() && FShowAccelChar &&
          IsAccel(static_cast<Word>(Message.WParam), Caption()) && FFocusControl->CanFocus()) {
        FFocusControl->SetFocus();
        Message.Result = 1;
        return;
      }
      TGraphicControl::Dispatch(Message);
      break;
    default: TGraphicControl::Dispatch(Message); break;
  }
}

}  // namespace vcl
