// Database errors: EDatabaseError, the raising helpers and GetFieldProperty.
#pragma once

#include <initializer_list>
#include <string>

#include "platform/base/classes.h"
#include "platform/base/sysutils.h"
#include "platform/base/variant.h"
#include "platform/data/db_consts.h"

namespace vcl {

KT_DECLARE_EXCEPTION(EDatabaseError, Exception);

class TDataSet;
class TField;

// Raises EDatabaseError with Msg, prefixed by "Name: " when Component has a name.
[[noreturn]] void DatabaseError(const std::string& Msg, TComponent* Component = nullptr);
// Formats Msg with Args first (see Format), then raises as DatabaseError does.
[[noreturn]] void DatabaseErrorFmt(const std::string& Msg, std::initializer_list<Variant> Args,
                                   TComponent* Component = nullptr);

// The field of DataSet called FieldName; raises SFieldNotFound (prefixed by the control's
// name) when there is none.
TField* GetFieldProperty(TDataSet* DataSet, TComponent* Control, const std::string& FieldName);

}  // namespace vcl
