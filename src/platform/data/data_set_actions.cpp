#include "platform/data/data_set_actions.h"

#include "platform/data/data_source.h"

namespace vcl {

void TDataSetAction::SetDataSource(TDataSource* Value) {
  if (Value == FDataSource) return;
  if (FDataSource) RemoveFreeNotification(FDataSource);
  FDataSource = Value;
  if (Value) FreeNotification(Value);
}

void TDataSetAction::Notification(TComponent* AComponent, TOperation Operation) {
  TBasicAction::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSource) FDataSource = nullptr;
}

bool TDataSetAction::HandlesTarget(TObject* Target) {
  if (FDataSource) return Target == FDataSource && FDataSource->DataSet();
  auto* source = dynamic_cast<TDataSource*>(Target);
  return source && source->DataSet();
}

TDataSet* TDataSetAction::GetDataSet(TObject* Target) const {
  auto* source = dynamic_cast<TDataSource*>(Target);
  return source ? source->DataSet() : nullptr;
}

namespace {
bool Browsing(TDataSet* ds) {
  return ds && ds->Active() && ds->State() == dsBrowse;
}
bool Editing(TDataSet* ds) {
  return ds && (ds->State() == dsEdit || ds->State() == dsInsert);
}
}  // namespace

#define KT_ACTION_BODY(Name, Execute, Enabled)            \
  void Name::ExecuteTarget(TObject* Target) {             \
    if (TDataSet* ds = GetDataSet(Target)) ds->Execute(); \
  }                                                       \
  void Name::UpdateTarget(TObject* Target) {              \
    TDataSet* ds = GetDataSet(Target);                    \
    SetEnabled(ds && ds->Active() && (Enabled));          \
  }

KT_ACTION_BODY(TDataSetFirst, First, !ds->BOF())
KT_ACTION_BODY(TDataSetPrior, Prior, !ds->BOF())
KT_ACTION_BODY(TDataSetNext, Next, !ds->EOF())
KT_ACTION_BODY(TDataSetLast, Last, !ds->EOF())
KT_ACTION_BODY(TDataSetInsert, Insert, ds->CanModify())
KT_ACTION_BODY(TDataSetDelete, Delete, ds->CanModify() && !ds->IsEmpty())
KT_ACTION_BODY(TDataSetEdit, Edit, Browsing(ds) && ds->CanModify())
KT_ACTION_BODY(TDataSetPost, Post, Editing(ds))
KT_ACTION_BODY(TDataSetCancel, Cancel, Editing(ds))
#undef KT_ACTION_BODY

}  // namespace vcl
