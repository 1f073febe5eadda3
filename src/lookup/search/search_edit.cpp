#include "lookup/search/search_edit.h"

namespace ktlookup {

using namespace vcl;

void TKtSearchEdit::SetSearchSource(TDataSource* Value) {
  if (Value == FSearchSource) return;
  if (FSearchSource) FSearchSource->RemoveFreeNotification(this);
  FSearchSource = Value;
  // Whoever owns the source, its destruction clears this reference.
  if (FSearchSource) FSearchSource->FreeNotification(this);
}

void TKtSearchEdit::Change() {
  TMaskEdit::Change();
  if (ComponentState().Contains(csLoading)) return;
  if (!FSearchSource || FSearchField.empty() || FSearchSource->State() == dsInactive) return;
  TDataSet* dataSet = FSearchSource->DataSet();
  if (Text().empty()) {
    dataSet->First();
    return;
  }
  TField* field = dataSet->FindField(FSearchField);
  if (!field)
    throw Exception("Field '" + FSearchField + "' does not " + "exist in " + dataSet->Name());
  if (field->FieldKind() == fkCalculated || field->FieldKind() == fkLookup)
    throw Exception("SearchField cannot be of Kind fkCalculated or fkLookup");
  try {
    dataSet->Locate(FSearchField, Variant(Text()), {loCaseInsensitive, loPartialKey});
  } catch (...) {
    // A text that can't be compared with the field finds nothing.
  }
}

void TKtSearchEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TMaskEdit::Notification(AComponent, Operation);
  if (Operation == opRemove && FSearchSource && AComponent == FSearchSource) FSearchSource = nullptr;
}

}  // namespace ktlookup
