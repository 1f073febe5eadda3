// How data-aware controls align a field's text when the control reads right to left.
#pragma once

#include "platform/data/field.h"
#include "platform/vcl/control.h"

namespace vcl {

// True when a data-aware control should mirror its alignment for Field: the system locale is
// a right-to-left one, the control's BiDiMode is bdRightToLeft, and the field's alignment may
// change. Numbers and dates keep theirs (digits read left to right); text, Boolean fields and
// a missing field may be mirrored.
bool DBUseRightToLeftAlignment(TControl* AControl, TField* AField);

}  // namespace vcl
