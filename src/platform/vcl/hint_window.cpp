#include "platform/vcl/hint_window.h"

#include <algorithm>

#include "platform/win/window_system.h"

namespace vcl {

namespace {
constexpr UINT kHintTextFormat = DT_LEFT | DT_WORDBREAK | DT_NOPREFIX;
}  // namespace

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  FVisible = false;  // shown by ActivateHint alone
  SetColor(clInfoBk);
  Font()->SetColor(clInfoText);
  Canvas()->Brush()->SetStyle(bsClear);
}

void THintWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WndParent = nullptr;
  Params.WindowClass.style |= CS_SAVEBITS;
}

void THintWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEACTIVATE: WMMouseActivate(Message); break;
    case WM_NCHITTEST: WMNCHitTest(Message); break;
    default: TCustomControl::Dispatch(Message); break;
  }
}

void THintWindow::WMMouseActivate(TMessage& Message) {
  Message.Result = MA_NOACTIVATE;
}

// The whole window, border included, is the client: a click never reaches the border.
// The mouse goes through a hint to what lies under it: a tooltip shown over the row the
// pointer is on does not take the pointer from that row.
void THintWindow::WMNCHitTest(TMessage& Message) {
  Message.Result = HTTRANSPARENT;
}

TRect THintWindow::CalcHintRect(int MaxWidth, const std::string& Text, void*) {
  TRect r{0, 0, MaxWidth, 0};
  DrawTextA(Canvas()->Handle(), Text.c_str(), -1, &r, DT_CALCRECT | kHintTextFormat);
  r.Right += 6;
  r.Bottom += 2;
  return r;
}

void THintWindow::ActivateHint(TRect Rect, const std::string& Text) {
  SetCaption(Text);
  Rect.Bottom += 4;
  int w = Rect.Width(), h = Rect.Height();
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  int left = std::max(0, std::min(Rect.Left, sw - w));
  int top = std::max(0, std::min(Rect.Top, sh - h));
  SetBounds(left, top, w, h);
  SetWindowPos(Handle(), HWND_TOPMOST, left, top, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Invalidate();
}

void THintWindow::Paint() {
  TRect r = ClientRect();
  r.Left += 2;
  r.Top += 2;
  Canvas()->Font()->SetColor(Font()->Color());
  DrawTextA(Canvas()->Handle(), Caption().c_str(), -1, &r,
            kHintTextFormat | (UseRightToLeftReading() ? DT_RTLREADING : 0));
}

}  // namespace vcl
