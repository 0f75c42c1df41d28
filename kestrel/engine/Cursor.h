// A cursor: the rows of one class (with its subclasses) as a transaction sees them, or of the
// records linked to one parent record through a link field; filtered, ordered and made distinct
// once, when it is opened, and then navigated in constant time per step.
//
// Rows and values. Which records are rows, and in which order, is fixed when the cursor is
// opened and then follows the cursor's own inserts, changes and deletions. The values of a row
// are read from the transaction's view whenever they are read, so changes made elsewhere show
// in the values; a record that the transaction no longer sees drops out of the rows when a step
// or a read meets it. Records added elsewhere appear in a cursor opened later.
//
// Order: the sort fields (each ascending or descending), then the fields of the index, then the
// record ID, so that every order is total. A child cursor is ordered by its link index's fields
// after the sort fields; a link index without fields keeps a stored link list's order.
// Distinct: of the rows whose distinct fields read alike, only the first in the order stays,
// and its "Count()" tells for how many records it stands.
//
// Positions: -1 before the first row, Count() after the last, 0..Count()-1 on a row. Every
// operation answers a status of the Database API and changes nothing when it fails.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kestrel/engine/Condition.h"
#include "kestrel/engine/Transaction.h"

namespace kestrel {

struct SortField {
  std::string field;
  bool descending = false;
};

// How a cursor filters, orders and groups its rows (what a sort handle of the API collects).
struct CursorShape {
  std::vector<SortField> sort;
  std::vector<std::string> distinct;
  ConditionPtr filter;  // null: every record
};

struct CursorRequest {
  std::string className;  // a cursor over a class
  std::vector<std::string> fields;
  std::string index;  // the order's index ("" none); the link index of a child cursor
  CursorShape shape;
  bool child = false;  // a child cursor: the records `parent` links through `index`
  RecordID parent = kNullRecord;
  std::string childClass;  // "" the link's class, else that class (or a subclass) only
};

class Cursor {
 public:
  // Opens a cursor in the transaction. KS_ERR_NO_SUCH_CLASS: the class is unknown or the
  // plan shows it as invisible (access 3), or a child cursor's parent record is not seen by
  // the transaction (nothing to show); KS_ERR_NO_SUCH_INDEX: the index does not order the class
  // (Schema::OrderingIndexesOf) or is no link index of the parent's class;
  // KS_ERR_NO_MASTER_RECORD: a child cursor without parent ID; the statuses of FieldPath and
  // BoundCondition for fields, sort and distinct fields and the filter; KS_ERR_NO_SUCH_TRANSACTION.
  static KSStatus Open(std::shared_ptr<Transaction> transaction, const CursorRequest& request,
                       std::unique_ptr<Cursor>& out);
  ~Cursor();

  const std::vector<FieldPath>& Fields() const { return fields_; }
  int32_t Count() const { return static_cast<int32_t>(rows_.size()); }
  int32_t Position() const { return position_; }
  RecordID CurrentId() const;
  // Whether the cursor stands on a row whose record the transaction still sees.
  bool OnRecord() const;
  // The database's change count (Database::Changes): rows read stay valid while it stands.
  uint64_t Changes() const;

  // Steps: KS_OK on a row; KS_END_OF_TABLE / KS_BEGIN_OF_TABLE when they run off an end,
  // leaving the cursor after the last / before the first row.
  KSStatus First();
  KSStatus Last();
  KSStatus Next();
  KSStatus Previous();
  // Onto the row at `position`; outside the rows KS_BEGIN_OF_TABLE / KS_END_OF_TABLE and the
  // cursor stays.
  KSStatus Goto(int32_t position);
  // Onto the record's row: KS_ERR_NO_SUCH_RECORD (and the cursor stays) when it is none.
  KSStatus GotoRecord(RecordID id);
  // Onto the first row in the order that satisfies the condition: KS_END_OF_TABLE (and the
  // cursor stays) when none does; the statuses of BoundCondition::Bind.
  KSStatus GotoFirstMatch(const Condition& condition);

  // Reads up to `count` rows from `position` on (`forward`, else towards the first), first
  // dropping the rows met whose records are gone; calls `row` for each in ascending position
  // with its ID and the values of the field list (valid during the call).
  using RowReader =
      std::function<void(int32_t position, RecordID id, const std::vector<const Value*>& values)>;
  KSStatus Read(int32_t position, int32_t count, bool forward, const RowReader& row);

  // The stored field of the cursor's class that a write names, with its position in the
  // class's fields; null with KS_ERR_ACCESS_DENIED for what only reads (pseudo fields, paths,
  // link fields) and KS_ERR_NO_SUCH_FIELD for names of nothing.
  const FieldDef* WritableField(const std::string& name, size_t& position, KSStatus& status) const;
  // Inserts a record of the cursor's class (a child cursor's: linked to the parent) with the
  // values given and the fields' defaults otherwise, and stands on it: KS_OK, or
  // KS_RECORD_NOT_IN_CURSOR when it was created but the filter (or a distinct row standing for
  // it) keeps it out of the rows, and the cursor stays. Refused: KS_ERR_DUPLICATE_KEY (a
  // unique index), KS_ERR_ACCESS_DENIED (a field the plan does not let an insert give, or a
  // link field), KS_ERR_INVALID_ARGUMENT (a value of another type, a class without records of
  // its own), and the transaction's write refusals.
  KSStatus Insert(const std::vector<std::pair<size_t, Value>>& values, RecordID& id);
  // Changes the current record; it moves to its place in the order, or leaves the rows when it
  // no longer belongs there (the cursor then stands on the row that followed it). Refusals as
  // Transaction::SetValues, and KS_ERR_DUPLICATE_KEY; off the rows KS_BEGIN_OF_TABLE /
  // KS_END_OF_TABLE.
  KSStatus SetCurrent(const std::vector<std::pair<size_t, Value>>& values);
  // Deletes the current record; the cursor stands on the row that followed it, else on the new
  // last row. KS_ERR_DELETE_REFERENCED, KS_ERR_ACCESS_DENIED and the transaction's refusals.
  KSStatus DeleteCurrent();
  // 1 when a's row comes before b's, 2 for the same row, 3 after; 0 when either is no row.
  int32_t CompareRecords(RecordID a, RecordID b);

 private:
  struct OrderKey {
    FieldPath path;
    bool descending = false;
  };

  Cursor() = default;
  KSStatus Resolve(const View& view, const CursorRequest& request);
  // Fills the rows from the view.
  KSStatus Build(const View& view);
  void Sort(ReadContext& context, std::vector<RecordID>& ids,
            std::vector<const Record*>& records) const;
  void Group(ReadContext& context, std::vector<RecordID>& ids, std::vector<const Record*>& records);
  // Whether the record belongs to the rows (filter, and the parent's link for a child cursor).
  bool Belongs(ReadContext& context, RecordID id, const Record& record);
  // Orders two records as the rows are ordered: -1, 0 (the same record) or 1.
  int CompareRows(ReadContext& context, RecordID a, const Record& ra, RecordID b,
                  const Record& rb) const;
  // Where the record's row is, or would be placed.
  int32_t PlaceOf(ReadContext& context, RecordID id, const Record& record) const;
  // The record's row, or -1.
  int32_t RowOf(ReadContext& context, RecordID id) const;
  // Moves onto the row at `position`, or the next one in the direction when its record is gone.
  KSStatus Land(int32_t position, bool forward);
  void Erase(int32_t row);
  // The record of the row: from the records found when the rows were gathered while nothing
  // changed since, else through the finder.
  const Record* RecordOf(int32_t row, RecordFinder& finder) const;
  // Gathers the rows again (a distinct cursor's rows after a write) and stands on the
  // record's row, else on the row at `fallback` (or the last row).
  void Regroup(const View& view, RecordID wanted, int32_t fallback);
  std::optional<View> CurrentView() const;

  std::shared_ptr<Transaction> transaction_;
  const Schema* schema_ = nullptr;
  const ClassDef* cls_ = nullptr;  // rows are of it or its subclasses; inserts create it
  bool inVersion_ = false;
  std::vector<FieldPath> fields_;
  std::vector<OrderKey> order_;
  bool byId_ = true;  // the order is the record ID alone
  std::vector<FieldPath> distinct_;
  std::unique_ptr<BoundCondition> filter_;
  RecordID parent_ = kNullRecord;
  const FieldDef* link_ = nullptr;  // a child cursor's link field, of the parent's class
  std::vector<RecordID> rows_;
  // The rows' records as found when the change count was recordsAt_ (empty when the rows
  // changed since): scans then read no index.
  std::vector<const Record*> records_;
  uint64_t recordsAt_ = 0;
  std::vector<int32_t> groups_;  // distinct: the records each row stands for
  int32_t position_ = -1;
  uint64_t verified_ = 0;  // the change count at which every row's record was seen
  // How Read reads each field, and what it reads into, kept from one read to the next so that
  // reading a row costs no allocation.
  struct Reading {
    static constexpr int kCountsRows = -2;
    // Per field: the position of a stored field of the class, read straight from the record;
    // kCountsRows for "Count()"; -1 for a path.
    std::vector<int> how;
    std::vector<std::pair<int32_t, const Record*>> window;
    std::vector<Value> scratch;
    std::vector<const Value*> values;
  } reading_;
};

}  // namespace kestrel
