#include "platform/data/db_errors.h"

#include "platform/data/data_set.h"

namespace vcl {

void DatabaseError(const std::string& Msg, TComponent* Component) {
  if (Component && !Component->Name().empty()) throw EDatabaseError(Component->Name() + ": " + Msg);
  throw EDatabaseError(Msg);
}

void DatabaseErrorFmt(const std::string& Msg, std::initializer_list<Variant> Args, TComponent* Component) {
  DatabaseError(Format(Msg, Args), Component);
}

TField* GetFieldProperty(TDataSet* DataSet, TComponent* Control, const std::string& FieldName) {
  TField* field = DataSet ? DataSet->FindField(FieldName) : nullptr;
  if (!field) DatabaseErrorFmt(SFieldNotFound, {FieldName}, Control);
  return field;
}

}  // namespace vcl
