// Data-set actions: First, Prior, Next, Last, Insert, Delete, Edit, Post and Cancel, aimed at
// a data source (their DataSource, or the TDataSource they are executed on when they have
// none). A data-aware control routes them to its data link's source.
#pragma once

#include <string>

#include "platform/base/classes.h"

namespace vcl {

class TDataSet;
class TDataSource;

class TDataSetAction : public TBasicAction {
 public:
  explicit TDataSetAction(TComponent* AOwner) : TBasicAction(AOwner) {}
  std::string ClassName() const override { return "TDataSetAction"; }

  TDataSource* DataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* Value);

  // True for the action's own DataSource (when it has a data set), or, without one, for
  // any TDataSource with a data set.
  bool HandlesTarget(TObject* Target) override;

 protected:
  TDataSet* GetDataSet(TObject* Target) const;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TDataSource* FDataSource = nullptr;
};

#define KT_DATASET_ACTION(Name)                                   \
  class Name : public TDataSetAction {                            \
   public:                                                        \
    explicit Name(TComponent* AOwner) : TDataSetAction(AOwner) {} \
    std::string ClassName() const override { return #Name; }      \
    void ExecuteTarget(TObject* Target) override;                 \
    void UpdateTarget(TObject* Target) override;                  \
  }

KT_DATASET_ACTION(TDataSetFirst);   // enabled unless at BOF
KT_DATASET_ACTION(TDataSetPrior);   // enabled unless at BOF
KT_DATASET_ACTION(TDataSetNext);    // enabled unless at EOF
KT_DATASET_ACTION(TDataSetLast);    // enabled unless at EOF
KT_DATASET_ACTION(TDataSetInsert);  // enabled when the data set can be modified
KT_DATASET_ACTION(TDataSetDelete);  // enabled when it has records and can be modified
KT_DATASET_ACTION(TDataSetEdit);    // enabled while browsing a modifiable data set
KT_DATASET_ACTION(TDataSetPost);    // enabled in edit or insert state
KT_DATASET_ACTION(TDataSetCancel);  // enabled in edit or insert state
#undef KT_DATASET_ACTION

}  // namespace vcl
