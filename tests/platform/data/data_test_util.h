// Shared helpers of the data-access tests: a small table and a link that records what it
// hears.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/data/db.h"

namespace datatest {

using namespace vcl;

// Id (integer), Name (string 30), City (string 20), opened, with Count records:
// Id = i, Name = "Name<i>", City = "City<i % 3>".
inline TMemDataSet* MakeTable(TComponent* Owner, int Count, const std::string& Name = "Table") {
  auto* ds = new TMemDataSet(Owner);
  ds->SetName(Name);
  ds->AddIntegerField("Id");
  ds->AddStringField("Name", 30);
  ds->AddStringField("City", 20);
  ds->Open();
  ds->DisableControls();
  for (int i = 1; i <= Count; ++i)
    ds->AppendRecord({i, "Name" + std::to_string(i), "City" + std::to_string(i % 3)});
  ds->EnableControls();
  ds->First();
  return ds;
}

// A data link that writes each notification into a shared log, and may run a hook after it.
class TRecLink : public TDataLink {
 public:
  explicit TRecLink(std::vector<std::string>* Log, std::string Tag = "") : FLog(Log), FTag(std::move(Tag)) {}
  std::function<void(const std::string& What)> Hook;  // runs after each entry
  int ChangedCount = 0;
  bool LogCheck = false;  // CheckBrowseMode comes before every move: logged only on request

  using TDataLink::FocusControl;

 protected:
  void Note(const std::string& What) {
    if (FLog) FLog->push_back(FTag + What);
    if (Hook) Hook(What);
  }
  void ActiveChanged() override { Note("Active"); }
  void EditingChanged() override { Note("Editing"); }
  void DataSetChanged() override {
    ++ChangedCount;
    Note("Changed");
  }
  void DataSetScrolled(int Distance) override { Note("Scrolled" + std::to_string(Distance)); }
  void LayoutChanged() override { Note("Layout"); }
  void RecordChanged(TField* Field) override {
    Note("Record:" + (Field ? Field->FieldName() : std::string("nil")));
  }
  void UpdateData() override { Note("UpdateData"); }
  void CheckBrowseMode() override {
    if (LogCheck) Note("Check");
  }

 private:
  std::vector<std::string>* FLog;
  std::string FTag;
};

// The Id of the record a field read sees now.
inline long long CurrentId(TDataSet* ds) {
  return ds->FieldByName("Id")->AsInteger();
}

}  // namespace datatest
