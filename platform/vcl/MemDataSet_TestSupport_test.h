#pragma once
// Shared pieces of the data-set tests: a people table in a TMemDataSet
// (ID integer, Name string(20), Score float, Member boolean), filled
// through the framework, and a log that records events and hooks in order.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/vcl/DataSource.h"
#include "platform/vcl/MemDataSet.h"

namespace vcl_test {

inline std::unique_ptr<TMemDataSet> MakePeople(int count, int bufferCount = kDefaultBufferCount) {
  auto people = std::make_unique<TMemDataSet>(nullptr);
  people->SetName("People");
  people->DefineField("ID", ftInteger);
  people->DefineField("Name", ftString, 20);
  people->DefineField("Score", ftFloat);
  people->DefineField("Member", ftBoolean);
  people->SetBufferCount(bufferCount);
  people->Open();
  for (int i = 1; i <= count; ++i) {
    people->Append();
    people->FieldByName("ID")->SetAsInteger(i);
    people->FieldByName("Name")->SetAsString("P" + std::to_string(i));
    people->FieldByName("Score")->SetAsFloat(i / 2.0);
    people->Post();
  }
  people->First();
  return people;
}

// The IDs of every record, read by walking from the first to the end.
inline std::vector<int> Ids(TDataSet& dataSet) {
  std::vector<int> ids;
  for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) ids.push_back(dataSet.FieldByName("ID")->AsInteger());
  return ids;
}

inline int Id(const TDataSet& dataSet) { return dataSet.FieldByName("ID")->AsInteger(); }

// Records the data set's events (and, when asked, its hooks) as names.
class EventLog {
 public:
  explicit EventLog(TMemDataSet& dataSet, bool hooks = false) : dataSet_(dataSet) {
    Attach(true, hooks);
  }
  // The log usually goes before the data set: it takes its handlers back.
  ~EventLog() { Attach(false, true); }
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;

  // The entries since the last call.
  std::vector<std::string> Take() { return std::exchange(entries, {}); }

  std::vector<std::string> entries;

 private:
  void Attach(bool attach, bool hooks) {
    TMemDataSet& dataSet = dataSet_;
    const auto on = [this, attach](TDataSetNotifyEvent& event, const char* name) {
      event = nullptr;
      if (attach) event = [this, name](TDataSet&) { entries.emplace_back(name); };
    };
    on(dataSet.BeforeOpen, "BeforeOpen");
    on(dataSet.AfterOpen, "AfterOpen");
    on(dataSet.BeforeClose, "BeforeClose");
    on(dataSet.AfterClose, "AfterClose");
    on(dataSet.BeforeInsert, "BeforeInsert");
    on(dataSet.AfterInsert, "AfterInsert");
    on(dataSet.BeforeEdit, "BeforeEdit");
    on(dataSet.AfterEdit, "AfterEdit");
    on(dataSet.BeforePost, "BeforePost");
    on(dataSet.AfterPost, "AfterPost");
    on(dataSet.BeforeCancel, "BeforeCancel");
    on(dataSet.AfterCancel, "AfterCancel");
    on(dataSet.BeforeDelete, "BeforeDelete");
    on(dataSet.AfterDelete, "AfterDelete");
    on(dataSet.BeforeScroll, "BeforeScroll");
    on(dataSet.AfterScroll, "AfterScroll");
    on(dataSet.BeforeRefresh, "BeforeRefresh");
    on(dataSet.AfterRefresh, "AfterRefresh");
    on(dataSet.OnNewRecord, "OnNewRecord");
    if (hooks) {
      dataSet.OnHook = nullptr;
      if (attach) dataSet.OnHook = [this](std::string_view hook) { entries.emplace_back(hook); };
    }
  }

  TMemDataSet& dataSet_;
};

}  // namespace vcl_test
