// Helpers shared by the lookup controls: comparing key values and matching typed prefixes.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "platform/base/liveness.h"
#include "platform/base/variant.h"

namespace ktlookup {

// Equality of two key values. False when either is unassigned, and false (never an exception)
// when the two values can't be compared; Null equals Null, as Variant equality has it.
bool VariantsEqual(const vcl::Variant& A, const vcl::Variant& B);

// True when Text begins with Prefix, ignoring the case of the letters A to Z only. An empty
// prefix matches every text; a text shorter than the prefix never matches.
bool StartsWithText(const std::string& Prefix, const std::string& Text);

// Sets a re-entrancy flag for a scope and clears it (to false, whatever it was before) on
// every exit, exceptions included, unless the control that holds the flag went meanwhile: an
// application handler may free it. Alive is the control's liveness token.
class TFlagScope {
 public:
  TFlagScope(bool& Flag, vcl::TAliveToken Alive) : FFlag(Flag), FAlive(std::move(Alive)) { FFlag = true; }
  ~TFlagScope() {
    if (FAlive) FFlag = false;
  }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& FFlag;
  vcl::TAliveToken FAlive;
};

}  // namespace ktlookup
