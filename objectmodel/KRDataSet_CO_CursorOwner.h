#pragma once
// TKRCursorOwner: what a cursor proxy (KRDataSet_CO_Cursor.h) reads from the
// table that uses it, and the table's hooks that the cursor forwards. The
// data-set layer's table implements it; the cursor refers to its owner
// without counting it, so the owner detaches itself (DetachOwner) before it
// goes.
//
// Names are the table's own (UTF-8): the table (class) name, the index name
// and field paths as the Database API takes them.

#include <cstdint>
#include <string>
#include <vector>

#include "kestrel/include/KestrelAPI.h"

// One field of the table, in the table's field order, with what decides
// whether the cursor reads it.
struct TKRCursorField {
  std::string Name;
  // The field itself is visible.
  bool Visible = true;
  // It has a field definition, and that definition has an API description
  // (a real one or a pseudo one such as the identifier's).
  bool Described = false;
  // The definition stands for a user-defined field, which the class does
  // not store.
  bool UserDefined = false;
  // The definition's access in the actual plan and in other plans
  // (KS_ACCESS_*).
  int32_t ActualAccess = KS_ACCESS_READ_WRITE;
  int32_t VersionAccess = KS_ACCESS_READ_WRITE;
};

struct TKRCursorSortField {
  std::string Name;
  bool Descending = false;
};

class TKRCursorOwner {
 public:
  // The class the table shows; empty when it has none yet.
  virtual std::string GetTableName() = 0;
  // The index that orders the table: a global index of its class, or for a
  // detail table the link index of its master's class; empty for none.
  virtual std::string GetIndexName() = 0;
  // The table's class (kKRNullClassID when unknown).
  virtual KSClassID GetClassID() = 0;
  // The table's fields, in field order.
  virtual std::vector<TKRCursorField> GetCursorFields() = 0;
  // The description of the table's field `fieldName`: a real one or a
  // pseudo one; null when the table has no such field.
  virtual const KSFieldDescription* FindFieldDescription(const std::string& fieldName) = 0;
  // A new condition handle for the table's filter, owned by the caller; 0
  // when the filter is empty.
  virtual KSHandle MakeFilterCondition() = 0;
  virtual std::vector<TKRCursorSortField> GetSortFields() = 0;
  virtual std::vector<std::string> GetDistinctFields() = 0;
  // Whether the table is linked to a master data source at all.
  virtual bool HasMasterSource() = 0;
  // The master table behind the master source; null when the source has
  // no table.
  virtual TKRCursorOwner* GetMasterTable() = 0;
  // The master's field whose value is the master record ID; empty when the
  // master's current record itself is the master record.
  virtual std::string GetMasterField() = 0;
  // The master record ID (kKRNullRecordID when the master has none).
  virtual KSRecordID GetMasterRecordID() = 0;
  // Rows the Database API reads ahead at a time.
  virtual int32_t GetRecordCacheSize() = 0;
  // The ID of the table's current record (kKRNullRecordID for none).
  virtual KSRecordID GetCurrentRecordID() = 0;
  // The table's current record number (1 the first, 0 or less unknown).
  virtual int32_t GetRecNo() = 0;
  virtual bool GetActive() = 0;
  // Whether the open table shows no record.
  virtual bool IsEmpty() = 0;
  // Fills the table's buffers again from the cursor, keeping the current
  // record exactly where it stands when `exact`.
  virtual void Resync(bool exact) = 0;
  virtual void Close() = 0;

  // The transaction's commit hooks, as the cursor forwards them.
  virtual bool DoBeforeCommit() = 0;
  virtual void DoAfterCommit(bool success) = 0;
  virtual void RemapID(KSRecordID oldID, KSRecordID newID) = 0;

 protected:
  ~TKRCursorOwner() = default;
};
