// MessageDlg and the modal results of dialogs and buttons.
//
// The platform has no live display, so MessageDlg goes through the dialog service: it records
// each call (text, type, buttons, help context) and answers with the result that a test or a
// program chose (mrOk unless told otherwise). MessageBeep is recorded by the window system;
// the service shows those records too.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/base/set.h"
#include "platform/win/messages.h"

namespace vcl {

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5;
constexpr TModalResult mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
using enum TMsgDlgType;

enum class TMsgDlgBtn {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp
};
using enum TMsgDlgBtn;
using TMsgDlgButtons = Set<TMsgDlgBtn>;

inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// One MessageDlg call as the service saw it.
struct TMessageDlgCall {
  std::string Msg;
  TMsgDlgType DlgType = mtCustom;
  TMsgDlgButtons Buttons;
  int HelpCtx = 0;
  TModalResult Result = mrNone;  // what the call returned
};

class TDialogService {
 public:
  using TAnswerEvent = std::function<TModalResult(const TMessageDlgCall& Call)>;

  // Shows (records) a message box and returns the chosen result.
  TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);

  const std::vector<TMessageDlgCall>& Calls() const { return FCalls; }
  int CallCount() const { return static_cast<int>(FCalls.size()); }
  // The answer given to every call while no OnAnswer handler is set.
  TModalResult Answer() const { return FAnswer; }
  void SetAnswer(TModalResult Value) { FAnswer = Value; }
  // Decides each answer (it may look at the call, or free controls as a user's choice would).
  const TAnswerEvent& OnAnswer() const { return FOnAnswer; }
  void SetOnAnswer(TAnswerEvent Value) { FOnAnswer = std::move(Value); }
  // The MessageBeep calls of the window system, in order.
  const std::vector<UINT>& Beeps() const;

  // Forgets the calls and goes back to answering mrOk (tests).
  void Reset();

 private:
  std::vector<TMessageDlgCall> FCalls;
  TModalResult FAnswer = mrOk;
  TAnswerEvent FOnAnswer;
};

TDialogService* DialogService();

TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);

}  // namespace vcl
