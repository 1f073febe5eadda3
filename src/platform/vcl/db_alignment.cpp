#include "platform/vcl/db_alignment.h"

namespace vcl {

namespace {

bool OkToChangeFieldAlignment(TField* Field) {
  if (!Field) return true;
  switch (Field->DataType()) {
    case ftInteger:
    case ftFloat:
    case ftDateTime: return false;
    default: return true;
  }
}

}  // namespace

bool DBUseRightToLeftAlignment(TControl* AControl, TField* AField) {
  return SysLocale.MiddleEast && AControl && AControl->BiDiMode() == bdRightToLeft &&
         OkToChangeFieldAlignment(AField);
}

}  // namespace vcl
