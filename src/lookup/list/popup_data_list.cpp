#include "lookup/list/popup_data_list.h"

namespace ktlookup {

using namespace vcl;

TKtPopupDataList::TKtPopupDataList(TComponent* AOwner) : TKtDBLookupList(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle{csNoDesignVisible, csReplicatable});
  FIsPopup = true;
  FShowSearchText = false;
}

void TKtPopupDataList::CreateParams(TCreateParams& Params) {
  TKtDBLookupList::CreateParams(Params);
  // A thin border whatever BorderStyle and Ctl3D say.
  Params.Style = WS_POPUP | WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW;
  AddBiDiModeExStyle(Params.ExStyle);
  Params.WindowClass.style = CS_SAVEBITS;
}

void TKtPopupDataList::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_MOUSEACTIVATE) return WMMouseActivate(Message);
  TKtDBLookupList::Dispatch(Message);
}

void TKtPopupDataList::WMMouseActivate(TMessage& Message) {
  Message.Result = MA_NOACTIVATE;
}

}  // namespace ktlookup
