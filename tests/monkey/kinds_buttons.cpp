// The monkey's button and label kinds.
#include "monkey.h"
#include "platform/vcl/button.h"
#include "platform/vcl/label.h"

namespace monkey {
namespace {

using namespace vcl;

const bool kButton = RegisterControlKind({
    .Name = "Button",
    .MakeWeight = 2,
    .Make = [](TWorld&, TForm* Form, TRng& R) -> TControl* {
      auto* b = new TButton(Form);
      b->SetParent(Form);
      b->SetCaption(R.Chance(50) ? "&OK" : "Cancel");
      b->SetDefault(R.Chance(30));
      b->SetCancel(R.Chance(30));
      return b;
    },
    .Actions =
        {
            {"click", 2,
             [](TWorld& W, TControl* C, TRng&) {
               const std::string name = W.Describe(C);
               static_cast<TButton*>(C)->Click();
               return name + ".Click";
             }},
            {"button property", 1,
             [](TWorld& W, TControl* C, TRng& R) {
               auto* b = static_cast<TButton*>(C);
               const std::string name = W.Describe(C);
               switch (R.Below(3)) {
                 case 0: b->SetDefault(!b->Default()); return name + ".Default";
                 case 1: b->SetCancel(!b->Cancel()); return name + ".Cancel";
                 default: b->SetCaption(RandomText(R, false)); return name + ".Caption";
               }
             }},
        },
    .Events = WithCommonEvents(),
    .Check = nullptr,
});

const bool kLabel = RegisterControlKind({
    .Name = "Label",
    .MakeWeight = 1,
    .Make = [](TWorld& W, TForm* Form, TRng& R) -> TControl* {
      auto* l = new TLabel(Form);
      l->SetParent(Form);
      l->SetCaption(R.Chance(50) ? "&Name:" : RandomText(R, false));
      l->SetFocusControl(W.PickAs<TWinControl>(TRole::Control, R));
      return l;
    },
    .Actions =
        {
            {"label property", 1,
             [](TWorld& W, TControl* C, TRng& R) {
               auto* l = static_cast<TLabel*>(C);
               const std::string name = W.Describe(C);
               switch (R.Below(4)) {
                 case 0: l->SetCaption(RandomText(R, false)); return name + ".Caption";
                 case 1:
                   l->SetFocusControl(W.PickAs<TWinControl>(TRole::Control, R));
                   return name + ".FocusControl";
                 case 2: l->SetAutoSize(!l->AutoSize()); return name + ".AutoSize";
                 default: l->SetWordWrap(!l->WordWrap()); return name + ".WordWrap";
               }
             }},
        },
    .Events = WithCommonEvents(),
    .Check =
        [](TWorld& W, TControl* C) {
          TWinControl* target = static_cast<TLabel*>(C)->FocusControl();
          W.Expect(!target || W.FindObject(target), W.Describe(C) + " would focus a control that is gone");
        },
});

}  // namespace
}  // namespace monkey
