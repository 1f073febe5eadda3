// Helpers shared by the lookup controls: comparing key values and matching typed prefixes.
#pragma once

#include <string>

#include "platform/base/variant.h"

namespace ktlookup {

// Equality of two key values. False when either is unassigned, and false (never an exception)
// when the two values can't be compared; Null equals Null, as Variant equality has it.
bool VariantsEqual(const vcl::Variant& A, const vcl::Variant& B);

// True when Text begins with Prefix, ignoring the case of the letters A to Z only. An empty
// prefix matches every text; a text shorter than the prefix never matches.
bool StartsWithText(const std::string& Prefix, const std::string& Text);

}  // namespace ktlookup
