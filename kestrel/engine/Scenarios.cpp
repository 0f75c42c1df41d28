#include "kestrel/engine/Scenarios.h"

#include <algorithm>

#include "kestrel/engine/Text.h"
#include "kestrel/engine/Transaction.h"

namespace kestrel {

namespace {

const ClassDef& RowClass(const Database& db) { return *db.GetSchema().FindClass("_DBTransaction"); }

size_t At(const ClassDef& cls, const char* field) {
  return static_cast<size_t>(cls.FieldIndex(field));
}

// The ID of the scenario's row, or kNullRecord.
RecordID FindRow(Database& db, const std::string& name) {
  const ClassDef& cls = RowClass(db);
  const std::u16string wanted = ToUtf16(name);
  const auto& records = db.Committed().records;
  for (const RecordID id : db.Index().Members(cls.id)) {
    const auto* text = std::get_if<std::u16string>(&records.at(id).values[At(cls, "name")]);
    if (text != nullptr && *text == wanted) return id;
  }
  return kNullRecord;
}

Value Flag(bool on) { return int32_t{on ? 1 : 0}; }
Value Text(const std::u16string& text) { return Normalize(text, type::kString); }

// The row the scenario should have; `rowId` is the existing row or kNullRecord.
Record RowOf(Database& db, const PersistentTransaction& s) {
  const ClassDef& cls = RowClass(db);
  Record row{cls.id, std::vector<Value>(cls.allFields.size())};
  row.values[At(cls, "name")] = ToUtf16(s.name);
  row.values[At(cls, "isPrivate")] = Flag((s.flags & txflag::kPrivate) != 0);
  row.values[At(cls, "isProtected")] = Flag((s.flags & txflag::kProtected) != 0);
  row.values[At(cls, "isVersion")] = Flag(s.isVersion);
  row.values[At(cls, "userName")] = Text(s.owner);
  row.values[At(cls, "StartDate")] = Normalize(s.startDate, type::kDateTime);
  row.values[At(cls, "Description")] = Text(s.description);
  if (!s.parent.empty()) {
    const RecordID parent = FindRow(db, s.parent);
    if (parent != kNullRecord) row.values[At(cls, "parentP")] = parent;
  }
  return row;
}

// Writes the row when it differs from the stored one; answers whether it wrote.
bool WriteRow(Database& db, const PersistentTransaction& s) {
  const Record row = RowOf(db, s);
  RecordID id = FindRow(db, s.name);
  if (id != kNullRecord && db.Committed().records.at(id).values == row.values)
    return false;
  if (id == kNullRecord) id = db.NewRecordId();
  db.ApplyToBase(id, row, db.NextSequence());
  return true;
}

}  // namespace

KSStatus CreateScenario(Database& db, PersistentTransaction scenario) {
  if (scenario.name.empty() || scenario.name == "Root") return KS_ERR_INVALID_ARGUMENT;
  if (db.FindScenario(scenario.name) != nullptr) return KS_ERR_TRANSACTION_EXISTS;
  if (!scenario.parent.empty() && db.FindScenario(scenario.parent) == nullptr)
    return KS_ERR_NO_SUCH_TRANSACTION;
  scenario.delta.clear();
  scenario.versions.Clear();
  db.Scenarios().push_back(std::move(scenario));
  WriteRow(db, db.Scenarios().back());
  return KS_OK;
}

void DescribeScenario(Database& db, PersistentTransaction& scenario, std::u16string description) {
  scenario.description = std::move(description);
  WriteRow(db, scenario);
}

void RemoveScenario(Database& db, const std::string& name, std::vector<std::string>& removed) {
  removed = {name};
  // Descendants follow their ancestors in the list, so one pass finds them all.
  for (const PersistentTransaction& s : db.Scenarios())
    if (std::find(removed.begin(), removed.end(), s.parent) != removed.end())
      removed.push_back(s.name);
  for (const std::string& gone : removed) {
    const RecordID row = FindRow(db, gone);
    if (row != kNullRecord) db.ApplyToBase(row, std::nullopt, db.NextSequence());
  }
  auto& all = db.Scenarios();
  all.erase(std::remove_if(all.begin(), all.end(),
                           [&](const PersistentTransaction& s) {
                             return std::find(removed.begin(), removed.end(), s.name) !=
                                    removed.end();
                           }),
            all.end());
}

void SyncScenarioRows(Database& db) {
  const bool modified = db.Modified();
  const ClassDef& cls = RowClass(db);
  bool wrote = false;
  for (PersistentTransaction& s : db.Scenarios()) {
    if (s.owner.empty() && s.startDate == 0) {
      const RecordID id = FindRow(db, s.name);
      if (id != kNullRecord) {
        const std::vector<Value>& row = db.Committed().records.at(id).values;
        if (const auto* owner = std::get_if<std::u16string>(&row[At(cls, "userName")]))
          s.owner = *owner;
        if (const auto* date = std::get_if<int32_t>(&row[At(cls, "StartDate")]))
          s.startDate = *date;
        const auto* version = std::get_if<int32_t>(&row[At(cls, "isVersion")]);
        s.isVersion = version != nullptr && *version != 0;
      }
    }
    wrote = WriteRow(db, s) || wrote;
  }
  db.SetModified(modified || wrote);
}

}  // namespace kestrel
