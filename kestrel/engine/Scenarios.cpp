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

// The row the scenario should have, under the ID of its stored row (a new ID when it has none);
// false when the stored row is that already.
bool RowChange(Database& db, const PersistentTransaction& s, RecordID& id, Record& row) {
  row = RowOf(db, s);
  id = FindRow(db, s.name);
  if (id != kNullRecord && db.Committed().records.at(id).values == row.values) return false;
  if (id == kNullRecord) id = db.NewRecordId();
  return true;
}

// Journals the entry together with the row change that the scenario `s` (as it will be) needs,
// then lets `apply` change the scenarios and writes the row. KS_ERR_WRITE_FAILED, nothing
// changed, when the journal refuses the entry.
template <typename F>
KSStatus ChangeWithRow(Database& db, JournalEntry& entry, const PersistentTransaction& s,
                       F&& apply) {
  RecordID id = kNullRecord;
  Record row;
  const bool rowChanges = RowChange(db, s, id, row);
  if (rowChanges) entry.Write(id, row);
  if (!db.WriteAhead(entry)) return KS_ERR_WRITE_FAILED;
  apply();
  if (rowChanges) db.ApplyToBase(id, std::move(row), db.NextSequence());
  return KS_OK;
}

}  // namespace

KSStatus CreateScenario(Database& db, PersistentTransaction scenario) {
  if (scenario.name.empty() || scenario.name == "Root") return KS_ERR_INVALID_ARGUMENT;
  if (db.FindScenario(scenario.name) != nullptr) return KS_ERR_TRANSACTION_EXISTS;
  if (!scenario.parent.empty() && db.FindScenario(scenario.parent) == nullptr)
    return KS_ERR_NO_SUCH_TRANSACTION;
  scenario.delta.clear();
  scenario.versions.Clear();
  JournalEntry entry = db.NewJournalEntry();
  entry.CreateScenario(scenario);
  return ChangeWithRow(db, entry, scenario, [&] { db.Scenarios().push_back(std::move(scenario)); });
}

KSStatus DescribeScenario(Database& db, PersistentTransaction& scenario,
                          std::u16string description) {
  PersistentTransaction described;
  described.name = scenario.name;
  described.parent = scenario.parent;
  described.flags = scenario.flags;
  described.description = std::move(description);
  described.owner = scenario.owner;
  described.startDate = scenario.startDate;
  described.isVersion = scenario.isVersion;
  JournalEntry entry = db.NewJournalEntry();
  entry.DescribeScenario(described.name, described.description);
  return ChangeWithRow(db, entry, described, [&] {
    scenario.description = std::move(described.description);
    db.NoteChange();
  });
}

KSStatus RemoveScenario(Database& db, const std::string& name, std::vector<std::string>& removed) {
  removed = {name};
  // Descendants follow their ancestors in the list, so one pass finds them all.
  for (const PersistentTransaction& s : db.Committed().transactions)
    if (std::find(removed.begin(), removed.end(), s.parent) != removed.end())
      removed.push_back(s.name);
  std::vector<RecordID> rows;
  JournalEntry entry = db.NewJournalEntry();
  for (const std::string& gone : removed) {
    entry.RemoveScenario(gone);
    const RecordID row = FindRow(db, gone);
    if (row == kNullRecord) continue;
    rows.push_back(row);
    entry.Write(row, std::nullopt);
  }
  if (!db.WriteAhead(entry)) return KS_ERR_WRITE_FAILED;
  for (const RecordID row : rows) db.ApplyToBase(row, std::nullopt, db.NextSequence());
  auto& all = db.Scenarios();
  all.erase(std::remove_if(all.begin(), all.end(),
                           [&](const PersistentTransaction& s) {
                             return std::find(removed.begin(), removed.end(), s.name) !=
                                    removed.end();
                           }),
            all.end());
  return KS_OK;
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
    RecordID id = kNullRecord;
    Record row;
    if (!RowChange(db, s, id, row)) continue;
    db.ApplyToBase(id, std::move(row), db.NextSequence());
    wrote = true;
  }
  db.SetModified(modified || wrote);
}

}  // namespace kestrel
