// What a transaction sees: the changes of its own layer over those of its ancestors' layers
// over the committed records of the database. A View is built for the span of one call (it holds
// pointers into the database and into the layers) and answers reads in time independent of
// the number of layers' records that are not asked for.
#pragma once

#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

#include "kestrel/engine/Database.h"

namespace kestrel {

// One layer of changes: a transaction's own or a scenario's.
struct Layer {
  Delta* delta = nullptr;
  Versions* versions = nullptr;
};

class View {
 public:
  // layers: the topmost first; the committed records lie below the last one.
  View(Database& db, std::vector<Layer> layers) : db_(&db), layers_(std::move(layers)) {}

  Database& Db() const { return *db_; }
  const Schema& GetSchema() const { return db_->GetSchema(); }
  const std::vector<Layer>& Layers() const { return layers_; }
  // The view without its topmost layer (the parent's view).
  View Below() const;

  // The record as this view shows it, or null.
  const Record* Find(RecordID id) const;
  // The sequence number of the last write of the record that this view shows (its deletion
  // included); 0 when it was not written since the database came online.
  uint64_t VersionOf(RecordID id) const;
  // The records of the classes (exact classes, not their subclasses), ascending.
  std::vector<RecordID> Members(const std::vector<ClassID>& classes) const;
  // The class and its subclasses.
  std::vector<RecordID> MembersOf(const ClassDef& cls) const;

 private:
  // The topmost layer's entry for the record, or null when no layer has one.
  const std::optional<Record>* Entry(RecordID id, const Versions** versions = nullptr) const;

  Database* db_;
  std::vector<Layer> layers_;
};

// Who refers to whom in a view, gathered once for many questions: the committed records'
// references from the database's index, corrected by the layers' changes.
class ReferenceMap {
 public:
  explicit ReferenceMap(const View& view);
  // Records that refer to `target` in the view (a record referring twice is named twice).
  std::vector<RecordID> Referrers(RecordID target) const;

 private:
  const View& view_;
  std::unordered_multimap<RecordID, RecordID> fromLayers_;
};

// Finds many records of one view; fast when asked in ascending ID order, as a walk through the
// committed records would be. Valid while the view is.
class RecordFinder {
 public:
  explicit RecordFinder(const View& view);
  const Record* Find(RecordID id);

 private:
  std::vector<const Delta*> deltas_;  // the layers that hold changes, topmost first
  const std::map<RecordID, Record>& records_;
  std::map<RecordID, Record>::const_iterator next_;
};

// What one call reads through a view: the view, and who refers to whom, gathered on first need.
class ReadContext {
 public:
  explicit ReadContext(const View& view) : view_(view) {}
  const View& GetView() const { return view_; }
  const ReferenceMap& References();

 private:
  const View& view_;
  std::optional<ReferenceMap> references_;
};

// The records that `owner` (a record of the class of the type-14 field `link`) links through
// the field: those of its stored list, or those whose back reference (`linkVia`) leads to it;
// each once, of the field's class. A stored list keeps its order, back references come in ID
// order.
std::vector<RecordID> LinkedRecords(ReadContext& context, const FieldDef& link, RecordID owner,
                                    const Record& record);
// Their number as a link field reads: the stored list's length, or the number of back
// references.
int32_t CountLinked(ReadContext& context, const FieldDef& link, RecordID owner,
                    const Record& record);

}  // namespace kestrel
