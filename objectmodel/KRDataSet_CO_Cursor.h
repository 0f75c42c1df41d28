#pragma once
// TKRCursorInterface (IKRCursor): the proxy of one Database API cursor of a
// table (its owner, TKRCursorOwner) inside a plain transaction (its parent,
// listed in the transaction's Cursors).
//
// - Connecting (KRDataSet_CO_Cursor_Open.cpp) makes the library's cursor on
//   the owner's class with the owner's visible described fields (the single
//   field "id" when none is), its index, filter, sort and distinct fields
//   and fetch-buffer size; a detail table's cursor shows the records its
//   master record links through the index. Without a master record the
//   cursor stays disconnected with LastError KS_ERR_NO_MASTER_RECORD; an
//   index the master's class lacks gives KS_ERR_NO_SUCH_INDEX; a refusal of
//   the library its reason; a cursor that is made has LastError 0 and
//   returns to the record it stood on before its last disconnect.
// - It knows where it stands: before the first row, on a row, or after the
//   last; a record step that runs off an end answers KS_END_OF_TABLE
//   (KS_BEGIN_OF_TABLE) and leaves it after the last (before the first)
//   row, where a further step answers the same without asking the library.
// - The row count is cached: inserts and value changes drop it, deletes
//   count it down, and a delete of the last row puts the cursor before the
//   first.
// - Inserts, changes and deletes tell the transaction of the data change
//   (NotifyDataChange, unless notification is off); a delete the server
//   refuses (KS_ERR_DELETE_REFERENCED, KS_ERR_DELETE_REFUSED) lists the
//   library's errors in the transaction first, and they stay listed. Deleting the data set of a
//   master cursor deletes the records of its class that its filter shows; of
//   a detail cursor, only its rows, the master record's linked records.
// - Disconnecting remembers the open owner's current record ID.
// - The commit hooks go to the owner; without one the cursor agrees.

#include <cstdint>

#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRDataSet_CO_CursorOwner.h"
#include "objectmodel/KRDataSet_CO_Cursor_Interface.h"
#include "objectmodel/KRDataSet_CO_Proxy.h"

class TKRCursorInterface final : public TKRProxyInterface<IKRCursor> {
 public:
  // `owner` (not counted) may be null: a cursor without a table makes no
  // library cursor.
  explicit TKRCursorInterface(TKRCursorOwner* owner);
  static ComPtr<TKRCursorInterface> CreateWithOwner(TKRCursorOwner* owner);

  // The owner calls this before it goes.
  void DetachOwner() { FOwner = nullptr; }

  ComPtr<IKRTransaction> Get_Transaction() override;
  void Set_Transaction(IKRTransaction* transaction) override;
  int32_t Get_RecordCount() override;
  KSStatus SetCurrentRecordValues(int32_t count, const KSField* values) override;
  KSStatus GoToNextRecord() override;
  KSStatus GoToPreviousRecord() override;
  KSStatus GoToRecordID(KSRecordID id) override;
  KSStatus GoToRecordSequence(int32_t sequence) override;
  KSStatus InsertNewRecord(int32_t count, const KSField* values, KSRecordID& newID) override;
  KSStatus DeleteCurrentRecord() override;
  KSStatus GoToBeginningOfTable() override;
  KSStatus GoToEndOfTable() override;
  KSStatus GetCurrentRecord(KSField* values, int32_t& sequence) override;
  KSStatus GetNextRecord(KSField* values, int32_t& sequence) override;
  KSStatus GetPreviousRecord(KSField* values, int32_t& sequence) override;
  KSStatus GoToFirstMatch(KSHandle condition) override;
  void Refresh() override;
  int32_t Get_PostedRecordSequence() override;
  int32_t CompareIDs(KSRecordID id1, KSRecordID id2) override;
  KSRecordID Get_ParentRecordID() override;
  bool DoBeforeCommit() override;
  void DoAfterCommit(bool success) override;
  void RemapID(KSRecordID oldID, KSRecordID newID) override;
  bool Get_NotificationEnabled() override;
  void Set_NotificationEnabled(bool enabled) override;
  void NotifyDataChange() override;
  KSStatus DeleteCurrentDataSet(int32_t& deletedCount) override;

 protected:
  void AssignHandle() override;
  void ReleaseHandle() override;
  void BeforeDisconnect() override;

 private:
  enum TKRCursorPosition : uint8_t { krcpBeforeFirst = 0, krcpOnRecord = 1, krcpAfterLast = 2 };
  static constexpr int32_t kUnknownCount = -1;
  using TKRAPIMove = KSStatus (*)(KSHandle);
  using TKRAPIFetch = KSStatus (*)(KSHandle, KSField*);
  struct TKRDirection;
  static const TKRDirection kForward;
  static const TKRDirection kBackward;

  // A record step in `direction`: from its origin onto the first row it
  // meets, at its end nothing (the end's status without the library).
  KSStatus FetchRecord(const TKRDirection& direction, KSField* values, int32_t& sequence);
  KSStatus MoveRecord(const TKRDirection& direction);
  // Puts the cursor on the row that call(api) goes to, when it succeeds.
  template <class Call>
  KSStatus GoToRow(Call&& call);

  // The class and link index of a detail cursor's master; false (with
  // LastError set) when the master's class has no such index.
  bool FindMasterIndex(IKRSession& session, const KSFieldDescription*& index);
  // Deletes the records of the owner's class that its filter shows.
  KSStatus DestroyAll(int32_t& deletedCount);
  // Deletes a detail cursor's rows one by one, so that only the master
  // record's linked records go.
  KSStatus DeleteRows(int32_t& deletedCount);
  // After a delete: counts `deleted` rows down from a known count (before
  // the first row when none is left) and tells the transaction; a refused
  // delete lists the library's errors in the transaction first.
  void AfterDelete(KSStatus status, int32_t countBefore, int32_t deleted);
  // Tells the transaction of a data change, unless notification is off.
  void NotifyTransaction(bool clearErrors);
  bool CountIsKnown() const { return FRecordCount >= 0; }

  int32_t FRecordCount = kUnknownCount;
  TKRCursorPosition FPosition = krcpBeforeFirst;
  TKRCursorOwner* FOwner;  // not counted
  int32_t FPostedRecordSequence = -1;
  KSRecordID FCurrentRecordID;
  KSRecordID FParentRecordID;
  bool FNotificationEnabled = true;
};
