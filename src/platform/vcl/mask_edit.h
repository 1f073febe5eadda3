// TCustomMaskEdit and TMaskEdit: the edit that data-aware edits, the lookup combo's edits and
// the search edit build on. An edit mask is kept as a property but not applied: every mask
// edit behaves as an unmasked edit, so its text is what the user typed.
#pragma once

#include <string>

#include "platform/vcl/edit.h"

namespace vcl {

class TCustomMaskEdit : public TCustomEdit {
 public:
  explicit TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
  std::string ClassName() const override { return "TCustomMaskEdit"; }

  const std::string& EditMask() const { return FEditMask; }
  void SetEditMask(const std::string& Value) { FEditMask = Value; }
  // Always false: masks are not applied.
  bool IsMasked() const { return false; }
  // The text as the user edits it (the same as Text without a mask).
  std::string EditText() { return Text(); }
  void SetEditText(const std::string& Value) { SetText(Value); }

 private:
  std::string FEditMask;
};

class TMaskEdit : public TCustomMaskEdit {
 public:
  explicit TMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {}
  std::string ClassName() const override { return "TMaskEdit"; }
};

}  // namespace vcl
