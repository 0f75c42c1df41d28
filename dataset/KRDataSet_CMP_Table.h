#pragma once
// TKRTable: a record-buffered data set over one cursor proxy of one class
// (TableName) inside one plain transaction.
//
// Structure. The field definitions come from the class's descriptions
// (TKRFieldDefsBuilder): with persistent fields one for each of them, else
// "id" and every described field. While the table is open its fields are
// kept in line with their definitions (KRDataSet_CMP_FieldSync.h), their
// Visible and ReadOnly follow the class's access and get back their own
// values on close, and fields without text handlers of their own get the
// display hooks of KRDataSet_CMP_FieldText.h. With UserDefinedFields and a
// database that has the class "BOUDF", the fields defined for the class and
// its bases there are added as text fields; their values come from
// "BOUDFValue" records.
//
// Opening raises EKRDatabaseError and leaves the table closed for: no table
// name, an unknown class, an index the class lacks, an unsupported field type,
// an unknown persistent field, a class the user may not see ("table access
// denied"), and a cursor the library refuses (its message, else "unable to
// open cursor, invalid parameters"). A class the user may only read opens
// read-only. A detail table whose master has no record opens empty.
//
// Record buffer (offsets fixed at open): the field data (per field a state
// byte, then its value as the API gives it: integers and booleans 4 bytes,
// floats, currencies and date-times 8, strings UTF-16 with a terminator;
// date-times as local day-count values), the calculated fields, per blob
// field a state byte and a pointer to its bytes, the bookmark flag, and the
// 8-byte bookmark (record ID, then 0-based sequence, -1 unknown). A field
// reads as null in state 0 or 4, or when it holds its API type's null value
// (see Options for floats and enumerations).
//
// The table is its cursor's event handler: failures caught at the cursor's
// interface, trace and log requests reach OnSafeCallException, OnTrace and
// OnLogError as for the component proxies, the details naming the class and
// the index.
//
// Writing (KRDataSet_CMP_TableEditing.cpp). Insert creates the record in
// the database at once (the pending record, which navigation skips and the
// record count leaves out); Post writes the changed values into it, Cancel
// deletes it again (without AutoCommit) or rolls the transaction back (with
// it). With AutoCommit every post and delete commits the transaction;
// without it a commit of the transaction first posts the table's pending
// edit, and a failed commit puts the table back into edit on that record.
// Post first lists an error 10401 in the transaction for every empty
// required field and raises EKRRequiredFieldError "required fields missing".
// A memo's slot holds its text in UTF-8, as the memo field reads it; blob
// streams (TKRBlobStream) work on the slot directly.
//
// Master-detail: with a MasterSource whose data set is a TKRTable, the
// table shows the records linked to the master's current record (or to the
// record that MasterField holds) through its index, and follows the master
// as it moves (TKRMasterDataLink).

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "dataset/KRDataSet_CMP_EventSink.h"
#include "dataset/KRDataSet_CMP_FieldDef.h"
#include "dataset/KRDataSet_CMP_FieldNames.h"
#include "dataset/KRDataSet_CMP_Filter.h"
#include "objectmodel/KRDataSet_CO_Cursor.h"
#include "objectmodel/KRThreadSafeInterface_CO.h"
#include "platform/vcl/DataSet.h"
#include "platform/vcl/DataSource.h"

class TKRTransaction;
class TKRMasterDataLink;
struct TKRFieldValues;

enum TKRTableOption {
  krtoSyncRequiredFields,
  krtoFloatFieldsCannotBeNull,
  krtoEnumeratedFieldsCannotBeNull
};
using TKRTableOptions = SetOf<TKRTableOption>;

// The states of a field's value in a record buffer.
enum TKRFieldState : uint8_t {
  krfsEmpty = 0,     // nothing loaded; reads as null
  krfsLoaded = 1,    // from the database or a default
  krfsModified = 2,  // changed after it was loaded
  krfsSet = 3,       // set on a field that was empty
  krfsNull = 4,      // reads as null
};

// The class-ID cache of a table whose class has not been looked up.
inline constexpr KSClassID kKRUnknownClassID = -2;

// The bookmark of a record buffer.
struct TKRBookmark {
  KSRecordID RecordID = kKRNullRecordID;
  int32_t Sequence = -1;
};
static_assert(sizeof(TKRBookmark) == 8);

// Raises EKRDatabaseError with `message` after tracing it at level 2.
class TKRTable;
[[noreturn]] void KRTableError(TKRTable& table, const std::string& message);

using TKRTableNotifyEvent = std::function<void(TKRTable& table)>;

class TKRTable : public TDataSet,
                 public TKRProxyEventSink,
                 public TKRCursorOwner,
                 public TKRFilterTable {
 public:
  explicit TKRTable(TComponent* owner);
  ~TKRTable() override;

  std::string_view ClassName() const override { return "TKRTable"; }
  // The properties above that a form stores, with their defaults
  // (KRDataSet_CMP_TableStream.cpp).
  void GetPublishedProperties(TPublishedProperties& properties) override;
  // Copies another table's settings (see the definition); other sources go
  // to the base.
  void Assign(const TPersistent& source) override;

  // --- Connection ----------------------------------------------------------
  // The cursor for the calling thread; EKRDatabaseError "Cursor is not set".
  ComPtr<IKRCursor> GetCursor();
  // EKRDatabaseError "Transaction is not set".
  ComPtr<IKRTransaction> GetTransaction();
  // EKRDatabaseError "Transaction is not connected to a session".
  ComPtr<IKRSession> GetSession();
  // Hands `transaction` to the cursor unless it is the same proxy.
  void SetTransaction(IKRTransaction* transaction);
  TKRTransaction* Transaction_() const { return FTransaction_; }
  void SetTransaction_(TKRTransaction* transaction);

  // --- Properties -------------------------------------------------------------
  const std::string& TableName() const { return FTableName; }
  void SetTableName(const std::string& value);
  const std::string& IndexName() const { return FIndexName; }
  void SetIndexName(const std::string& value);
  bool ReadOnly() const { return FReadOnly; }
  // Only while closed.
  void SetReadOnly(bool value);
  int32_t RecordCacheSize() const { return FRecordCacheSize; }
  void SetRecordCacheSize(int32_t value);
  TKRFilter& Filter() { return FFilter; }
  void SetFilter(const TKRFilter& value);
  TKRSortFields& SortFields() { return FSortFields; }
  void SetSortFields(const TKRSortFields& value);
  TKRFieldNames& DistinctFields() { return FDistinctFields; }
  void SetDistinctFields(const TKRFieldNames& value);
  TDataSource* MasterSource() const { return FMasterSource; }
  // EDatabaseError for a source that would link the table to itself; a
  // change of whether there is a master table disconnects the cursor.
  void SetMasterSource(TDataSource* source);
  const std::string& MasterField() const { return FMasterField; }
  void SetMasterField(const std::string& value) { FMasterField = value; }
  bool UserDefinedFields() const { return FUserDefinedFields; }
  void SetUserDefinedFields(bool value) { FUserDefinedFields = value; }
  bool AutoCommit() const { return FAutoCommit; }
  void SetAutoCommit(bool value) { FAutoCommit = value; }
  TKRTableOptions Options() const { return FOptions; }
  void SetOptions(TKRTableOptions value) { FOptions = value; }
  bool UserDefinedFieldsActive() const { return FUDFActive; }

  // --- Class ------------------------------------------------------------------
  // The class of TableName, looked up once; kKRNullClassID while unknown.
  KSClassID GetClassID() override;
  // The session's access to the class (KS_ACCESS_*).
  int32_t GetAccess();
  bool GetInActualPlan();
  // Null for numbers below 1; see KRGetFieldDef.
  TKRFieldDef* GetEAFieldDef(int32_t fieldNo);
  // EKRDatabaseError "Unknown field '<name>'".
  const KSFieldDescription* GetFieldDescription(const std::string& name, bool includeCount);
  // EKRDatabaseError "Invalid table name '<table>'".
  TKRFieldDescriptions GetFieldDescriptions();
  // The field of that name, made (with its definition when needed) when the
  // table has none yet.
  TField* AddFieldByName(const std::string& name);

  // --- Records ------------------------------------------------------------------
  // The record ID of the active record; kKRNullRecordID when closed or empty.
  KSRecordID GetRecordID() const;
  int32_t GetRecNo() const override;
  void SetRecNo(int32_t value) override;
  int32_t GetRecordCount() const override;
  // The buffer the fields read and write now; null when there is none.
  TRecordBuffer GetActiveRecordBuffer() const;
  // Moves to the record `id`; false when there is none.
  bool FindRecordID(KSRecordID id);
  bool BookmarkValid(const TBookmark& bookmark) override;
  int32_t CompareBookmarks(const TBookmark& a, const TBookmark& b) override;
  // Moves to the first record whose key fields hold the key values: a text
  // matches as a whole value, case and all, unless loCaseInsensitive or
  // loPartialKey (the value starts with the key) say otherwise; "*", "?" and
  // other pattern syntax in a key stand for themselves. False, with the
  // position unchanged, when no record matches.
  bool Locate(std::string_view keyFields, const OleVariant& keyValues,
              TLocateOptions options) override;
  OleVariant Lookup(std::string_view keyFields, const OleVariant& keyValues,
                    std::string_view resultFields) override;
  // Whether `name` may order the table (see the definition).
  bool IsIndexValid(const std::string& name);
  // Whether the value in `data` (of API type `apiType`) is that type's null.
  bool IsAPINullValue(int32_t apiType, const void* data) const;

  using TDataSet::GetFieldData;
  using TDataSet::SetFieldData;
  bool GetFieldData(TField* field, void* buffer) override;
  void SetFieldData(TField* field, const void* buffer) override;
  std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode) override;
  void DataEvent(TDataEvent event, intptr_t info) override;

  // --- Editing (KRDataSet_CMP_TableEditing.cpp) -----------------------------------
  void Post() override { CustomPost(false); }
  // Post, re-reading the buffers afterwards unless `noResync`.
  void CustomPost(bool noResync);
  // Deletes every record the table shows (a detail: its master's linked
  // records), then commits with AutoCommit.
  void DeleteAll();
  // The record an insert in progress has created; kKRNullRecordID for none.
  KSRecordID PendingRecordID() const { return FPendingRecordID; }
  // Called around every operation that reaches the server (insert, post,
  // delete, cancel).
  TKRTableNotifyEvent OnStartRemoteOperation, OnEndRemoteOperation;
  // The user's handlers of failed posts and deletes; the table's own
  // handlers run first (a failed automatic commit aborts silently).
  TDataSetErrorEvent OnPostError, OnDeleteError;

  // --- Master-detail (KRDataSet_CMP_TableMaster.cpp) -------------------------------
  // The master's record changed: the table shows the records linked to the
  // new one (none without one).
  void MasterChanged();
  // The master closed: the table shows nothing.
  void MasterDisabled();
  TDataSource* GetDataSource() const override { return FMasterSource; }

  // --- Errors ---------------------------------------------------------------------
  // False for 0 and kKRCursorNotConnected; a silent abort for -2; else
  // EKRDatabaseError "API error code: <n> ($<hex>)" with the library's text.
  bool CheckAPIErrorCode(KSStatus status);

  // --- TKRCursorOwner ---------------------------------------------------------------
  std::string GetTableName() override { return FTableName; }
  std::string GetIndexName() override { return FIndexName; }
  std::vector<TKRCursorField> GetCursorFields() override;
  const KSFieldDescription* FindFieldDescription(const std::string& fieldName) override;
  KSHandle MakeFilterCondition() override;
  std::vector<TKRCursorSortField> GetSortFields() override;
  std::vector<std::string> GetDistinctFields() override;
  bool HasMasterSource() override { return FMasterSource != nullptr; }
  TKRCursorOwner* GetMasterTable() override;
  std::string GetMasterField() override { return FMasterField; }
  KSRecordID GetMasterRecordID() override;
  int32_t GetRecordCacheSize() override { return FRecordCacheSize; }
  KSRecordID GetCurrentRecordID() override { return GetRecordID(); }
  int32_t GetRecNo() override { return std::as_const(*this).GetRecNo(); }
  bool GetActive() override { return Active(); }
  bool IsEmpty() override { return TDataSet::IsEmpty(); }
  using TDataSet::IsEmpty;
  void Resync(bool exact) override;
  using TDataSet::Resync;
  void Close() override { TDataSet::Close(); }
  // Posts a pending edit (without AutoCommit, without resync) unless the
  // table's own automatic commit runs; always agrees.
  bool DoBeforeCommit() override;
  // After a failed commit that posted an edit: back into edit on that
  // record, with its modified flag.
  void DoAfterCommit(bool success) override;
  // Replaces record ID `oldID` by `newID` in every buffer's bookmark and
  // record-ID and reference fields.
  void RemapID(KSRecordID oldID, KSRecordID newID) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  std::string GetExtraTraceDetails() const override;
  bool GetCanModify() const override;
  TFieldClass GetFieldClass(TFieldType fieldType) const override;

  TRecordBuffer AllocRecordBuffer() override;
  void FreeRecordBuffer(TRecordBuffer& buffer) override;
  int32_t GetRecordSize() const override { return FRecordDataSize; }
  TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) override;
  void InternalOpen() override;
  void InternalClose() override;
  void InternalInitFieldDefs() override;
  bool IsCursorOpen() const override { return BookmarkSize() > 0; }
  void CloseCursor() override;
  void InternalFirst() override;
  void InternalLast() override;
  void InternalSetToRecord(TRecordBuffer buffer) override;
  void InternalGotoBookmark(const void* bookmark) override;
  void GetBookmarkData(TRecordBuffer buffer, void* data) const override;
  void SetBookmarkData(TRecordBuffer buffer, const void* data) override;
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) const override;
  void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) override;
  void InternalInitRecord(TRecordBuffer buffer) override;
  void InitRecord(TRecordBuffer buffer) override;
  void InternalPost() override;
  void InternalDelete() override;
  void DoBeforeInsert() override;
  void DoAfterInsert() override;
  void DoBeforePost() override;
  void DoAfterPost() override;
  void DoBeforeCancel() override;
  void DoAfterCancel() override;
  void DoBeforeDelete() override;
  void DoAfterDelete() override;
  void DoStartRemoteOperation();
  void DoEndRemoteOperation();

 private:
  struct TKRUserDefinedField {
    std::string Name;
    KSRecordID DefinitionID = kKRNullRecordID;
  };

  // Opening (KRDataSet_CMP_TableOpen.cpp).
  std::vector<TField*> PersistentDataFields() const;
  void SynchronizeFields();
  void LayOutRecordBuffer();
  void PrepareFields();
  void InstallTextHooks(TField& field, TKRFieldDef* def);
  void ConnectCursor();
  // User-defined fields (KRDataSet_CMP_TableUDF.cpp).
  void CreateUserDefinedFieldNames();
  void CreateUserDefinedFields();
  void DestroyUserDefinedFields();
  void GetUserDefinedFields(TRecordBuffer buffer, KSRecordID id);
  // Records (KRDataSet_CMP_TableRecords.cpp).
  void FillBufferWithFields(TRecordBuffer buffer, const KSField* values, int32_t sequence,
                            KSRecordID id);
  void FillBufferWithField(TRecordBuffer buffer, const TKRFieldDef& def, const KSField& value);
  void EmptyField(TRecordBuffer buffer, const TKRFieldDef& def);
  TKRBookmark BookmarkOf(TRecordBuffer buffer) const;
  // The bytes of blob slot `blobIndex`.
  std::vector<uint8_t>* BlobOf(TRecordBuffer buffer, int32_t blobIndex) const;
  // The state byte of a field's value (its blob slot's for a blob).
  uint8_t& StateOf(TRecordBuffer buffer, const TKRFieldDef& def) const;
  // The position of the first held buffer with record `id`; -1 when none.
  int32_t HeldBufferIndexOf(KSRecordID id) const;
  // IsIndexValid, with a failure to answer counting as invalid.
  bool IsIndexUsable(const std::string& name);
  // Moves the cursor to the first record whose key fields (names separated
  // by ";") hold `keyValues` (one value, or an array of one per field),
  // through a temporary filter; a text key matches whole values unless
  // `options` say otherwise. Fields the table lacks are left out.
  bool InternalLocate(std::string_view keyFields, const OleVariant& keyValues,
                      TLocateOptions options);
  // The definition of a bound data field, null for other fields.
  TKRFieldDef* DefOf(const TField& field) const;
  // The cursor for one call, as GetCursor gives it, without a reference
  // taken on the thread that made the table (where the thread-safe wrapper
  // answers the table's own cursor); elsewhere GetCursor's, kept in `held`.
  IKRCursor& CursorForCall(ComPtr<IKRCursor>& held);
  // Clears what the class's structure depends on.
  void ClassChanged(KSClassID oldClass);
  void DisconnectCursor();
  // Editing (KRDataSet_CMP_TableEditing.cpp).
  void WriteField(TRecordBuffer record, const TKRFieldDef& def, const TField& field,
                  const void* value);
  TKRFieldValues ExtractFieldValues(TRecordBuffer buffer);
  void InternalWriteBuffer(TRecordBuffer buffer, bool isInsert);
  void RecoverFromFailedAutoCommit(const TKRFieldValues& values, KSRecordID pending,
                                   bool insertedThroughCursor);
  void InternalDeleteAll();
  void PerformAutoCommit();
  void CheckRequiredFieldsOfPost();
  // Reads the record `id` straight from its object into `buffer`.
  void ReadObjectInto(TRecordBuffer buffer, KSRecordID id);
  void WriteObjectValues(KSRecordID id, const TKRFieldValues& values);
  void DestroyObject(KSRecordID id);
  void HandleOperationError(EDatabaseError& error, TDataAction& action,
                            const TDataSetErrorEvent& userHandler);
  void WriteUserDefinedFields(TRecordBuffer buffer, KSRecordID id, bool isNew);

  std::unique_ptr<TKRThreadSafeInterface> FCursorWrapper;
  // The thread that made the table and its cursor wrapper.
  std::thread::id FThreadID = std::this_thread::get_id();
  ComPtr<TKRCursorInterface> FCursor;
  TKRTransaction* FTransaction_ = nullptr;
  std::string FTableName;
  std::string FIndexName;
  bool FReadOnly = false;
  int32_t FRecordCacheSize = 1;
  TKRFilter FFilter;
  TKRSortFields FSortFields;
  TKRFieldNames FDistinctFields;
  TDataSource* FMasterSource = nullptr;
  std::unique_ptr<TKRMasterDataLink> FMasterLink;
  std::string FMasterField;
  bool FUserDefinedFields = false;
  bool FAutoCommit = false;
  TKRTableOptions FOptions{krtoSyncRequiredFields};

  KSClassID FClassID;
  int32_t FRecordDataSize = 0;
  int32_t FFieldStateOffset = 0;
  int32_t FBookmarkFlagOffset = 0;
  int32_t FBookmarkOffset = 0;
  int32_t FRecordSize = 0;
  // The definitions of the blob-like fields in field-number order; a blob's
  // slot is its index here.
  std::vector<const TKRFieldDef*> FBlobDefs;
  // Per field number - 1: the blob slot, -1 for a field in the data area.
  std::vector<int32_t> FBlobIndex;
  // The definitions whose values the cursor reads, in its field order.
  std::vector<TKRFieldDef*> FCursorDefs;
  // The definitions the cursor does not read (invisible fields): emptied.
  std::vector<TKRFieldDef*> FEmptiedDefs;
  // The cursor's values of one record.
  std::vector<KSField> FValues;
  // Where "id" lies in the cursor's values; -1 when the cursor does not read it.
  int32_t FIdentifierValue = -1;
  std::vector<TKRUserDefinedField> FUserDefinedFieldNames;
  bool FUDFActive = false;
  bool FFieldAccessApplied = false;
  // The buffer Lookup reads the record it found into (in dsFilter).
  TRecordBuffer FLookupBuffer = nullptr;

  // Writing.
  KSRecordID FPendingRecordID = kKRNullRecordID;
  bool FImmediateInsertFailed = false;
  // The record written last, to find it again after a commit.
  KSRecordID FRememberedRecordID = kKRNullRecordID;
  // The current record when an insert began, to return to on cancel.
  KSRecordID FRecordBeforeInsert = kKRNullRecordID;
  bool FAutoCommitInProgress = false;
  bool FAutoRollbackInProgress = false;
  // Kept across a commit of the transaction that posted an edit.
  bool FWasEditing = false;
  bool FWasModified = false;
};
