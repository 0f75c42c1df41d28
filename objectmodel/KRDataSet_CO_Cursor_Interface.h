#pragma once
// IKRCursor: a cursor proxy, the ordered, optionally filtered, sorted,
// distinct and master-restricted view of one class's records inside a plain
// transaction. See KRDataSet_CO_Cursor.h.
//
// The navigation, reading and editing operations connect the cursor first
// and answer kKRCursorNotConnected when it cannot connect; otherwise the
// Database API's status (0 success). Record values are arrays of KSField in
// the order of the field list the cursor was made with.

#include <cstdint>

#include "objectmodel/KRDataSet_CO_Transactions_Interface.h"

inline constexpr IID IID_IKRCursor = GuidLiteral("9A069898-6AB2-4E3F-AC56-5A8E25DC5792");

// The status of an operation on a cursor that could not connect.
inline constexpr KSStatus kKRCursorNotConnected = -3;

struct IKRCursor : IKRProxy {
  static constexpr const IID& kIID = IID_IKRCursor;
  using BaseInterface = IKRProxy;

  // The plain transaction the cursor belongs to; setting another one files
  // the cursor in its Cursors.
  virtual ComPtr<IKRTransaction> Get_Transaction() = 0;
  virtual void Set_Transaction(IKRTransaction* transaction) = 0;
  // The number of rows (cached until a change); -1 when not connected.
  virtual int32_t Get_RecordCount() = 0;
  // Writes `count` values into the current record; count 0 writes nothing.
  virtual KSStatus SetCurrentRecordValues(int32_t count, const KSField* values) = 0;
  // One row forward / back: KS_END_OF_TABLE after the last row,
  // KS_BEGIN_OF_TABLE before the first; from before the first (after the
  // last) onto the first (last) row.
  virtual KSStatus GoToNextRecord() = 0;
  virtual KSStatus GoToPreviousRecord() = 0;
  virtual KSStatus GoToRecordID(KSRecordID id) = 0;
  // Onto the row at `sequence` (0 the first).
  virtual KSStatus GoToRecordSequence(int32_t sequence) = 0;
  // Inserts a record with `count` values; `newID` gets its ID.
  virtual KSStatus InsertNewRecord(int32_t count, const KSField* values, KSRecordID& newID) = 0;
  virtual KSStatus DeleteCurrentRecord() = 0;
  // Before the first / after the last row, without asking the library.
  virtual KSStatus GoToBeginningOfTable() = 0;
  virtual KSStatus GoToEndOfTable() = 0;
  // The current row's values and its sequence.
  virtual KSStatus GetCurrentRecord(KSField* values, int32_t& sequence) = 0;
  // The next / previous row's values and sequence, as GoToNextRecord and
  // GoToPreviousRecord move.
  virtual KSStatus GetNextRecord(KSField* values, int32_t& sequence) = 0;
  virtual KSStatus GetPreviousRecord(KSField* values, int32_t& sequence) = 0;
  // Onto the first row that satisfies `condition` (which stays the
  // caller's).
  virtual KSStatus GoToFirstMatch(KSHandle condition) = 0;
  // Makes the library's cursor again (returning to the current record) and
  // lets the owner table show it; nothing unless the table is open.
  virtual void Refresh() = 0;
  // The sequence of the record written last; -1 when unknown.
  virtual int32_t Get_PostedRecordSequence() = 0;
  // -1, 0 or 1 as id1's row comes before, at or after id2's; 0 when either
  // is no row of the cursor.
  virtual int32_t CompareIDs(KSRecordID id1, KSRecordID id2) = 0;
  // The master record of a detail cursor (kKRNullRecordID otherwise).
  virtual KSRecordID Get_ParentRecordID() = 0;
  // The transaction's commit hooks, forwarded to the owner table.
  virtual bool DoBeforeCommit() = 0;
  virtual void DoAfterCommit(bool success) = 0;
  virtual void RemapID(KSRecordID oldID, KSRecordID newID) = 0;
  // Whether changes made through the cursor are reported to the transaction.
  virtual bool Get_NotificationEnabled() = 0;
  virtual void Set_NotificationEnabled(bool enabled) = 0;
  // Tells the transaction of a data change (when notification is enabled).
  virtual void NotifyDataChange() = 0;
  // Deletes every record of the owner's class that its filter shows;
  // `deletedCount` gets their number.
  virtual KSStatus DeleteCurrentDataSet(int32_t& deletedCount) = 0;
};
