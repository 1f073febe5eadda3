#include "lookup/core/lookup_helpers.h"

#include "platform/base/sysutils.h"

namespace ktlookup {

bool VariantsEqual(const vcl::Variant& A, const vcl::Variant& B) {
  if (A.IsEmpty() || B.IsEmpty()) return false;
  try {
    return A == B;
  } catch (const std::exception&) {
    return false;
  }
}

bool StartsWithText(const std::string& Prefix, const std::string& Text) {
  return vcl::CompareText(Text.substr(0, Prefix.size()), Prefix) == 0;
}

}  // namespace ktlookup
