// TKtSearchEdit: an edit that moves a dataset to the first record whose field begins with the
// typed text, ignoring case. It changes no data, only the current record.
#pragma once

#include <string>

#include "platform/data/db.h"
#include "platform/vcl/mask_edit.h"

namespace ktlookup {

class TKtSearchEdit : public vcl::TMaskEdit {
 public:
  explicit TKtSearchEdit(vcl::TComponent* AOwner) : TMaskEdit(AOwner) {}
  std::string ClassName() const override { return "TKtSearchEdit"; }

  // The field of the searched dataset that the text is matched against.
  const std::string& SearchField() const { return FSearchField; }
  void SetSearchField(const std::string& Value) { FSearchField = Value; }
  // The data source whose dataset is searched; a reference, cleared when the source goes.
  vcl::TDataSource* SearchSource() const { return FSearchSource; }
  void SetSearchSource(vcl::TDataSource* Value);

 protected:
  void Change() override;
  void Notification(vcl::TComponent* AComponent, vcl::TOperation Operation) override;

 private:
  std::string FSearchField;
  vcl::TDataSource* FSearchSource = nullptr;
};

}  // namespace ktlookup
