#pragma once
// TDataSet: the generic record-buffered data set. It keeps a ring of record
// buffers over a source that a derived class reaches through the hooks
// below, moves through it, edits one record at a time, and tells its data
// sources (and through them the data links of controls and detail data
// sets) what changed.
//
// The ring: BufferCount() record buffers (at least 2, 10 unless the derived
// class asks for another number; more when a data link asks for more rows)
// plus one spare slot, in which GetRecord
// reads a new row before it moves into the ring. Slots 0 ..
// BufferedRecordCount()-1 hold rows; ActiveRecord() is the slot of the
// current row and ActiveBuffer() its buffer. CurrentRecord() is the slot
// the source's cursor is known to sit on (-1: unknown), so that the cursor
// is moved (SetCurrentRecord) only when needed.
//
// A record buffer is one block whose layout the derived class chooses: it
// must hold the record data (GetRecordSize() bytes), then CalcFieldsSize()
// bytes of calculated fields (each field's presence byte and value at its
// Offset(); see ReadCalcField and WriteCalcField), and whatever the class
// needs for the bookmark and its flag.
//
// States: dsInactive when closed; dsBrowse when open; dsEdit while the
// active record is edited; dsInsert while a new one is; dsCalcFields while
// OnCalcFields runs (fields then read and write CalcBuffer()); dsBlockRead
// while BlockReadSize() > 0 (moving without telling the data sources). The
// other states exist for classes that use them. Every change of state sends
// deUpdateState and clears Modified.
//
// Errors of the framework raise EDatabaseError (messages in DBConsts.h),
// prefixed with the data set's name when it has one.
//
// Hooks (protected virtuals; those declared "= 0" every data set class
// implements, the others have a working default) and when the framework
// calls them:
// - AllocRecordBuffer / FreeRecordBuffer: when the ring grows or shrinks, one
//   call per slot including the spare; the ring is allocated after
//   InternalOpen and freed before InternalClose.
// - GetRecordSize: by RecordSize(), ClearCalcFields and the calc-field
//   helpers (the record data's size, without calculated fields or bookmark).
// - GetRecord(buffer, mode, doCheck): to fill `buffer` with the next row
//   (gmNext, at the end of the ring), the prior row (gmPrior, at its start)
//   or the row the cursor is on (gmCurrent, by Resync). It moves the cursor
//   as asked, copies the record, stamps its bookmark with bfCurrent and calls
//   GetCalcFields(buffer); answers grOK, grBOF (nothing before), grEOF
//   (nothing after) or grError, and raises on an error when doCheck is set.
// - InternalOpen: by Open after BeforeOpen, with the state still inactive:
//   open the source, call InternalInitFieldDefs, CreateFields when
//   DefaultFields(), BindFields(true), SetBookmarkSize. The framework then
//   allocates the ring, reads the first rows, and goes to dsBrowse,
//   AfterOpen and (when not empty) AfterScroll. If InternalOpen raises, the
//   framework closes the cursor (CloseCursor, which calls InternalClose)
//   and the data set stays inactive.
// - InternalClose: by Close after BeforeClose, with the state already
//   inactive and the ring freed (and by CloseCursor after a failed open or
//   an information query): release the source; BindFields(false) and
//   DestroyFields when DefaultFields().
// - InternalInitFieldDefs: from the class's own InternalOpen, and by
//   InitFieldDefs (FieldDefs().Update()) to read the structure of a closed
//   data set between OpenCursor(true) and CloseCursor.
// - IsCursorOpen: whether the source is open (by InitFieldDefs and when the
//   ring is resized).
// - InternalFirst / InternalLast: by First / Last (after the ring is
//   cleared) and by Append (InternalLast); by SetCurrentRecord for a buffer
//   flagged bfBOF / bfEOF. Put the cursor before the first / after the last
//   record.
// - InternalSetToRecord(buffer): by SetCurrentRecord for a buffer flagged
//   bfCurrent or bfInserted: put the cursor on the buffer's record (by its
//   bookmark).
// - InternalGotoBookmark(bookmark): by GotoBookmark, before
//   Resync({rmExact, rmCenter}).
// - GetBookmarkData / SetBookmarkData / GetBookmarkFlag / SetBookmarkFlag:
//   the buffer's bookmark (BookmarkSize() bytes) and flag. GetBookmark reads
//   the active buffer's; Insert stamps the new buffer with the bookmark of
//   the record it goes before (after InitRecord, which flags it
//   bfInserted), or flags it bfBOF in an empty data set; Append flags it
//   bfEOF.
// - InitRecord(buffer): by Insert and Append for the new buffer; the base
//   calls InternalInitRecord, ClearCalcFields and flags it bfInserted.
//   InternalInitRecord(buffer) also by ClearFields: blank the record.
// - InternalInsert / InternalEdit: by Insert and Append (the new buffer set
//   up, before dsInsert and OnNewRecord) / by Edit (before dsEdit).
// - InternalPost: by Post after BeforePost, with the cursor on the active
//   record (UpdateCursorPos), in dsEdit or dsInsert: write the active buffer
//   (in dsInsert add it where its flag says). The base checks required
//   fields: a derived class calls it first. Then dsBrowse, Resync({}),
//   AfterPost.
// - InternalCancel: by Cancel after BeforeCancel, with the cursor on the
//   active record; then dsBrowse, Resync({}), AfterCancel.
// - InternalDelete: by Delete after BeforeDelete and BeforeScroll, with the
//   cursor on the active record; then dsBrowse, Resync({}), AfterDelete,
//   AfterScroll.
// - InternalRefresh: by Refresh, between UpdateCursorPos and Resync({}).
// - InternalHandleException: by Loaded, inside the handler, when opening a
//   data set in a designer fails. This framework has no application to show
//   the error, so the base raises it again; a designer overrides it.
// - GetFieldData / SetFieldData: by the fields (GetData / SetData; IsNull
//   passes no buffer; a native read calls the two-argument form directly,
//   the nativeFormat forms are for reads and writes that convert). Choose the buffer by state (ActiveBuffer normally,
//   CalcBuffer in dsCalcFields), read or write the native value; SetFieldData
//   checks the state (SNotEditing), calls field.Validate, stores the value and
//   sends DataEvent(deFieldChange, field) except in dsCalcFields and dsFilter.
//   The forms with nativeFormat convert dates and times through DataConvert.
// - CreateBlobStream(field, mode): by blob fields: a stream over the active
//   record's blob (bmWrite empties it first). A stream that writes must store
//   into the record as it is written: destroying it must not fail.
// - GetCanModify: by CanModify (Edit, Insert, Append and Delete raise
//   SDataSetReadOnly when false).
// - GetRecNo / SetRecNo / GetRecordCount: the RecNo and RecordCount
//   properties (the base answers -1 and ignores the setter).
// - BookmarkValid / CompareBookmarks / Locate / Lookup: called by users; the
//   base answers false, orders missing bookmarks first (two present ones
//   compare equal), false and null.
// - DataEvent(event, info): on every change; an override calls the base,
//   which marks the record modified and recalculates on deFieldChange, moves
//   the cursor to the active record on deDataSetChange and deDataSetScroll
//   (except while inserting), and passes the event to the data sources
//   unless controls are disabled or the state is dsBlockRead.
// - The Do* methods fire the matching event; an override calls the base.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/Variant.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/DataSetTypes.h"
#include "platform/vcl/FieldDefs.h"
#include "platform/vcl/Fields.h"
#include "platform/vcl/Streams.h"

class TDataLink;
class TDataSource;
class TDataSet;

using TDataSetNotifyEvent = std::function<void(TDataSet& dataSet)>;
using TDataSetErrorEvent =
    std::function<void(TDataSet& dataSet, EDatabaseError& error, TDataAction& action)>;

inline constexpr int32_t kDefaultBufferCount = 10;

class TDataSet : public TComponent {
 public:
  explicit TDataSet(TComponent* owner);
  // Detaches the data sources and destroys the fields. The hooks of a
  // derived class are gone by then, so a derived class's destructor calls
  // Destroying() and Close() first (Close while destroying fires no events).
  ~TDataSet() override;

  std::string_view ClassName() const override { return "TDataSet"; }
  void GetPublishedProperties(TPublishedProperties& properties) override;
  // Its persistent fields owned by `root`.
  void GetChildren(const ChildProc& proc, TComponent* root) override;
  // Opens the data set when it was read as active.
  void Loaded() override;

  // --- Opening and closing ---------------------------------------------
  bool Active() const { return state_ != dsInactive; }
  // While the component is being read the value is kept and applied by
  // Loaded; opening a data set whose open fails leaves it closed.
  void SetActive(bool value);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  TDataSetState State() const { return state_; }
  bool Modified() const { return modified_; }
  // Whether the open data set made its fields from its definitions.
  bool DefaultFields() const { return defaultFields_; }
  bool AutoCalcFields() const { return autoCalcFields_; }
  void SetAutoCalcFields(bool value) { autoCalcFields_ = value; }

  // --- Structure -----------------------------------------------------------
  TFieldDefs& FieldDefs() { return *fieldDefs_; }
  TFields& Fields() { return *fields_; }
  const TFields& Fields() const { return *fields_; }
  int FieldCount() const { return fields_->Count(); }
  TField* FindField(std::string_view name) const { return fields_->FindField(name); }
  TField* FieldByName(std::string_view name) const;
  // The fields named in `fieldNames` (separated by ';'); EDatabaseError for
  // a name that is not a field.
  std::vector<TField*> GetFieldList(std::string_view fieldNames) const;
  // The values of the named fields: one field's value, or an array of them.
  OleVariant GetFieldValues(std::string_view fieldNames) const;
  // Reads the structure into FieldDefs(), opening the cursor for
  // information only when the data set is closed.
  void InitFieldDefs();

  // --- Navigation ----------------------------------------------------------
  void First();
  void Last();
  void Next();
  void Prior();
  // Moves `distance` records (forwards when positive) as far as there are
  // records; answers how far it moved.
  int32_t MoveBy(int32_t distance);
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  bool IsEmpty() const { return recordCount_ == 0 && state_ != dsInsert; }
  virtual int32_t GetRecNo() const;
  virtual void SetRecNo(int32_t value);
  int32_t RecNo() const { return GetRecNo(); }
  virtual int32_t GetRecordCount() const;
  int32_t RecordCount() const { return GetRecordCount(); }
  int32_t RecordSize() const { return GetRecordSize(); }
  // Reads the source again (in browse mode), keeping the position.
  void Refresh();
  // Reads the ring again around the cursor's record. With rmExact the
  // record must still be there (SRecordNotFound otherwise); without it the
  // next or else the prior record takes its place. With rmCenter the record
  // goes to the middle of the ring, else it keeps its slot.
  virtual void Resync(TResyncMode mode);

  // --- Bookmarks -----------------------------------------------------------
  // The active record's bookmark; empty when there is none (closed, empty,
  // or a new record).
  TBookmark GetBookmark() const;
  // Goes to a bookmarked record (nothing for an empty bookmark; a bookmark
  // shorter than BookmarkSize() is refused).
  void GotoBookmark(const TBookmark& bookmark);
  bool BookmarkAvailable() const;
  virtual bool BookmarkValid(const TBookmark& bookmark);
  virtual int32_t CompareBookmarks(const TBookmark& a, const TBookmark& b);

  // --- Searching -----------------------------------------------------------
  virtual bool Locate(std::string_view keyFields, const OleVariant& keyValues,
                      TLocateOptions options);
  virtual OleVariant Lookup(std::string_view keyFields, const OleVariant& keyValues,
                            std::string_view resultFields);

  // --- Editing -------------------------------------------------------------
  // Edit in an empty data set inserts.
  void Edit();
  void Insert();
  void Append();
  virtual void Post();
  virtual void Cancel();
  // Delete while inserting cancels the insert.
  void Delete();
  // Ends an edit: posts it when modified, cancels it otherwise.
  void CheckBrowseMode();
  // Asks the controls to write their pending values (deUpdateRecord).
  void UpdateRecord();
  // Blanks the record being edited.
  void ClearFields();
  bool CanModify() const { return GetCanModify(); }
  virtual std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode);

  // --- Data sources and controls --------------------------------------------
  // Nested calls: only the last EnableControls tells the data sources what
  // happened meanwhile (a state change, then a data set change).
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disableCount_ != 0; }
  virtual void DataEvent(TDataEvent event, intptr_t info);
  // The data source this data set takes its master record from (none here).
  virtual TDataSource* GetDataSource() const { return nullptr; }
  // Whether `source` is this data set's, or reaches it through masters.
  bool IsLinkedTo(const TDataSource* source) const;
  int32_t BufferCount() const { return bufferCount_; }
  int32_t ActiveRecord() const { return activeRecord_; }
  int32_t BlockReadSize() const { return blockReadSize_; }
  // A positive size enters dsBlockRead; 0 returns to dsBrowse and tells the
  // data sources that the data set changed.
  void SetBlockReadSize(int32_t value);
  // Forgets where the cursor is, so the next access moves it.
  void CursorPosChanged() { currentRecord_ = -1; }
  // Moves the cursor to the active record when it is not known to be there.
  void UpdateCursorPos() {
    if (recordCount_ > 0) SetCurrentRecord(activeRecord_);
  }

  // --- Field access (called by the fields) ------------------------------------
  // A class that implements the native forms brings the others into scope
  // (using TDataSet::GetFieldData; using TDataSet::SetFieldData).
  virtual bool GetFieldData(TField* field, void* buffer) = 0;
  virtual bool GetFieldData(TField* field, void* buffer, bool nativeFormat);
  virtual void SetFieldData(TField* field, const void* buffer) = 0;
  virtual void SetFieldData(TField* field, const void* buffer, bool nativeFormat);

  // --- Events -------------------------------------------------------------------
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent BeforeRefresh, AfterRefresh;
  TDataSetNotifyEvent OnCalcFields, OnNewRecord;
  // Called when InternalEdit, InternalPost or InternalDelete raises an
  // EDatabaseError; the action (daFail unless the handler changes it)
  // re-raises, aborts silently (EAbort) or runs the operation again.
  TDataSetErrorEvent OnEditError, OnPostError, OnDeleteError;

 protected:
  // --- Hooks (see the header comment) ---------------------------------------
  virtual TRecordBuffer AllocRecordBuffer() = 0;
  virtual void FreeRecordBuffer(TRecordBuffer& buffer) = 0;
  virtual int32_t GetRecordSize() const = 0;
  virtual TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) = 0;
  virtual void InternalOpen() = 0;
  virtual void InternalClose() = 0;
  virtual void InternalInitFieldDefs() = 0;
  virtual bool IsCursorOpen() const = 0;
  virtual void InternalFirst() = 0;
  virtual void InternalLast() = 0;
  virtual void InternalSetToRecord(TRecordBuffer buffer) = 0;
  virtual void InternalGotoBookmark(const void* bookmark) = 0;
  virtual void GetBookmarkData(TRecordBuffer buffer, void* data) const = 0;
  virtual void SetBookmarkData(TRecordBuffer buffer, const void* data) = 0;
  virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) const = 0;
  virtual void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) = 0;
  virtual void InternalInitRecord(TRecordBuffer buffer) = 0;
  virtual void InitRecord(TRecordBuffer buffer);
  virtual void InternalInsert() {}
  virtual void InternalEdit() {}
  virtual void InternalPost();
  virtual void InternalCancel() {}
  virtual void InternalDelete() = 0;
  virtual void InternalRefresh() {}
  virtual void InternalHandleException();
  virtual bool GetCanModify() const { return true; }

  virtual void OpenCursor(bool infoQuery);
  virtual void CloseCursor();
  virtual void ClearCalcFields(TRecordBuffer buffer);
  // Runs OnCalcFields for `buffer` in dsCalcFields.
  virtual void CalculateFields(TRecordBuffer buffer);
  // Calculates `buffer`'s calculated fields when there are any.
  void GetCalcFields(TRecordBuffer buffer);
  virtual TFieldClass GetFieldClass(TFieldType fieldType) const;
  // Makes a field for every definition (owned by this data set).
  virtual void CreateFields();
  void DestroyFields() { fields_->Clear(); }
  // Binds the fields to their definitions by name (EDatabaseError for a
  // field without a definition or of another type) and lays out the
  // calculated fields; false unbinds them.
  virtual void BindFields(bool binding);
  // Converts a date or time value between the fields' TDateTime and the
  // native form (toNative: from TDateTime); other types are copied.
  virtual void DataConvert(TField* field, const void* source, void* dest, bool toNative) const;

  virtual void DoBeforeOpen() { Fire(BeforeOpen); }
  virtual void DoAfterOpen() { Fire(AfterOpen); }
  virtual void DoBeforeClose() { Fire(BeforeClose); }
  virtual void DoAfterClose() { Fire(AfterClose); }
  virtual void DoBeforeInsert() { Fire(BeforeInsert); }
  virtual void DoAfterInsert() { Fire(AfterInsert); }
  virtual void DoBeforeEdit() { Fire(BeforeEdit); }
  virtual void DoAfterEdit() { Fire(AfterEdit); }
  virtual void DoBeforePost() { Fire(BeforePost); }
  virtual void DoAfterPost() { Fire(AfterPost); }
  virtual void DoBeforeCancel() { Fire(BeforeCancel); }
  virtual void DoAfterCancel() { Fire(AfterCancel); }
  virtual void DoBeforeDelete() { Fire(BeforeDelete); }
  virtual void DoAfterDelete() { Fire(AfterDelete); }
  virtual void DoBeforeScroll() { Fire(BeforeScroll); }
  virtual void DoAfterScroll() { Fire(AfterScroll); }
  virtual void DoBeforeRefresh() { Fire(BeforeRefresh); }
  virtual void DoAfterRefresh() { Fire(AfterRefresh); }
  virtual void DoOnNewRecord() { Fire(OnNewRecord); }
  virtual void DoOnCalcFields() { Fire(OnCalcFields); }

  // --- The ring ------------------------------------------------------------------
  // Fetches one row after the last slot (rotating a full ring) / before
  // slot 0; false when there is none.
  virtual bool GetNextRecord();
  virtual bool GetPriorRecord();
  // Fetch until the ring is full; answer how many came.
  int32_t GetNextRecords();
  int32_t GetPriorRecords();
  // Puts the cursor on the row of slot `index` unless it is there already
  // (the common case of a scan, kept inline).
  void SetCurrentRecord(int32_t index) {
    if (currentRecord_ != index) MoveCursorToRecord(index);
  }
  TRecordBuffer ActiveBuffer() const { return buffers_[static_cast<size_t>(activeRecord_)]; }
  TRecordBuffer CalcBuffer() const { return calcBuffer_; }
  TRecordBuffer Buffers(int32_t index) const { return buffers_[static_cast<size_t>(index)]; }
  int32_t BufferedRecordCount() const { return recordCount_; }
  int32_t CurrentRecord() const { return currentRecord_; }
  void ClearBuffers();
  // Asks for `count` buffers (at least 2) in the ring; data links may ask
  // for more.
  void SetBufferCount(int32_t count);
  int32_t BookmarkSize() const { return bookmarkSize_; }
  void SetBookmarkSize(int32_t size) { bookmarkSize_ = size; }
  int32_t CalcFieldsSize() const { return calcFieldsSize_; }
  // A calculated field's value in `buffer`'s calculated-fields area; false
  // when it has none. Writing a null `value` makes it null.
  bool ReadCalcField(TRecordBuffer buffer, const TField& field, void* value) const;
  void WriteCalcField(TRecordBuffer buffer, const TField& field, const void* value);

  void SetState(TDataSetState state);
  // Switches to `state` for a moment without telling anyone (and with the
  // data sources not told of anything until RestoreState); answers the
  // state to restore.
  TDataSetState SetTempState(TDataSetState state);
  void RestoreState(TDataSetState state);
  void SetModified(bool value) { modified_ = value; }
  void CheckActive() const {
    if (!Active()) ClosedError();
  }
  void CheckInactive();
  void CheckCanModify() const;
  // Raises SFieldRequired for the first required data field that is null.
  void CheckRequiredFields();
  // Runs `operation` with the cursor on the active record, retrying or
  // aborting as `errorEvent` decides when it raises an EDatabaseError.
  void CheckOperation(const std::function<void()>& operation, const TDataSetErrorEvent& errorEvent);

 private:
  friend class TDataLink;
  friend class TDataSource;
  friend class TField;
  friend class TFieldDef;

  void Fire(const TDataSetNotifyEvent& event) {
    if (event) event(*this);
  }
  void DoInternalOpen();
  bool GetConvertedFieldData(TField* field, void* buffer);
  void SetBufListSize(int32_t count);
  void UpdateBufferCount();
  void MoveBuffer(int32_t from, int32_t to);
  // Puts the cursor on the row of slot `index`.
  void MoveCursorToRecord(int32_t index);
  // Raises SDataSetClosed.
  [[noreturn]] void ClosedError() const;
  void ActivateBuffers();
  void BeginInsertAppend();
  void EndInsertAppend();
  void UpdateCalcFields();
  void AddDataSource(TDataSource* source);
  void RemoveDataSource(TDataSource* source);

  TDataSetState state_ = dsInactive;
  std::unique_ptr<TFields> fields_;
  std::unique_ptr<TFieldDefs> fieldDefs_;
  std::vector<TDataSource*> dataSources_;
  std::vector<TRecordBuffer> buffers_;  // the ring and the spare slot
  int32_t bufferCount_ = 0;
  int32_t requestedBufferCount_ = kDefaultBufferCount;
  int32_t recordCount_ = 0;
  int32_t activeRecord_ = 0;
  int32_t currentRecord_ = -1;
  bool bof_ = true;
  bool eof_ = true;
  bool modified_ = false;
  bool defaultFields_ = false;
  bool streamedActive_ = false;
  bool autoCalcFields_ = true;
  int32_t bookmarkSize_ = 0;
  int32_t calcFieldsSize_ = 0;
  TRecordBuffer calcBuffer_ = nullptr;
  int32_t disableCount_ = 0;
  TDataSetState disableState_ = dsInactive;
  TDataEvent enableEvent_ = deDataSetChange;
  int32_t blockReadSize_ = 0;
};
