#include "platform/vcl/dialogs.h"

#include "platform/win/window_system.h"

namespace vcl {

TModalResult TDialogService::MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                                        int HelpCtx) {
  TMessageDlgCall call{Msg, DlgType, Buttons, HelpCtx, mrNone};
  if (FOnAnswer) {
    auto handler = FOnAnswer;  // the handler may replace itself
    call.Result = handler(call);
  } else {
    call.Result = FAnswer;
  }
  FCalls.push_back(call);
  return call.Result;
}

const std::vector<UINT>& TDialogService::Beeps() const {
  return vcl::Beeps();
}

void TDialogService::Reset() {
  FCalls.clear();
  FAnswer = mrOk;
  FOnAnswer = nullptr;
}

TDialogService* DialogService() {
  static auto* service = new TDialogService;  // lives as long as the program
  return service;
}

TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
  return DialogService()->MessageDlg(Msg, DlgType, Buttons, HelpCtx);
}

}  // namespace vcl
