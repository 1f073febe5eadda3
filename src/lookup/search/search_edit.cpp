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
  auto alive = Alive();
  TMaskEdit::Change();  // OnChange may free this edit (or its form)
  if (!alive || ComponentState().Contains(csLoading)) return;
  if (!FSearchSource || FSearchField.empty() || FSearchSource->State() == dsInactive) return;
  TDataSet* dataSet = FSearchSource->DataSet();
  // Posting the data set's pending edit runs handlers that may free this edit: nothing below
  // reads a member.
  const std::string fieldName = FSearchField;
  const std::string text = Text();
  if (text.empty()) {
    dataSet->First();
    return;
  }
  TField* field = dataSet->FindField(fieldName);
  if (!field) throw Exception("Field '" + fieldName + "' does not " + "exist in " + dataSet->Name());
  if (field->FieldKind() == fkCalculated || field->FieldKind() == fkLookup)
    throw Exception("SearchField cannot be of Kind fkCalculated or fkLookup");
  // The data set's pending edit is posted first. A failed post is raised like the errors
  // above (the typed text stays, the record keeps its values, the data set does not move), and
  // so is any other failure but the search's own: a text the field can't take (letters for a
  // number) finds nothing, silently.
  auto dataSetAlive = dataSet->Alive();
  dataSet->CheckBrowseMode();
  if (!dataSetAlive || !(field = dataSet->FindField(fieldName))) return;
  try {
    field->ConvertValue(Variant(text));
  } catch (const Exception&) {
    return;
  }
  dataSet->Locate(fieldName, Variant(text), {loCaseInsensitive, loPartialKey});
}

void TKtSearchEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TMaskEdit::Notification(AComponent, Operation);
  if (Operation == opRemove && FSearchSource && AComponent == FSearchSource) FSearchSource = nullptr;
}

}  // namespace ktlookup
