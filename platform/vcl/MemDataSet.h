#pragma once
// TMemDataSet: a small data set over records kept in memory, which
// implements the framework's hooks so that the framework's tests and
// benchmarks run every path without a database. Built only for tests and
// benchmarks; it is not part of the shipped library.
//
// - The structure is declared with DefineField before opening (and only
//   while there are no records); records stay in memory while the data set
//   is closed. The structure is streamed with the component.
// - A record buffer holds, per field, a null byte and the native value, then
//   the calculated fields, then the record's ID (the bookmark, 4 bytes) and
//   the bookmark flag; blobs sit beside the buffer. Blobs are null when
//   empty.
// - A master source and a pair of field names make it a detail data set: it
//   shows the records whose DetailField equals the master's MasterField and
//   goes to its first record when the master moves.
// - OnHook hears the name of every hook as it is called (and may raise, to
//   make the hook fail).
// - Locate and Lookup compare strings by their start with loPartialKey and
//   without regard to case with loCaseInsensitive; other values compare by
//   value.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/vcl/DataLink.h"
#include "platform/vcl/DataSet.h"

class TMemDataSet : public TDataSet {
 public:
  struct Record {
    uint32_t id = 0;
    std::vector<uint8_t> data;
    std::vector<std::vector<uint8_t>> blobs;
  };

  explicit TMemDataSet(TComponent* owner);
  ~TMemDataSet() override;

  std::string_view ClassName() const override { return "TMemDataSet"; }
  void GetPublishedProperties(TPublishedProperties& properties) override;
  // The structure is kept in the stream as the defined property "Structure".
  void DefineProperties(TFiler& filer) override;

  void DefineField(const std::string& name, TFieldType type, int32_t size = 0,
                   bool required = false);
  const std::vector<Record>& Records() const { return records_; }
  // Takes a record out of the memory behind the framework's back, as
  // another user of a shared source would.
  void RemoveStoredRecord(size_t index);
  // Where a field's null byte sits in a record's data (its value follows).
  int32_t DataOffset(const TField& field) const;

  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  TDataSource* MasterSource() const { return masterLink_.DataSource(); }
  void SetMasterSource(TDataSource* source);
  const std::string& MasterField() const { return masterLink_.FieldName(); }
  void SetMasterField(const std::string& name) { masterLink_.SetFieldName(name); }
  const std::string& DetailField() const { return detailField_; }
  void SetDetailField(const std::string& name);
  TDataSource* GetDataSource() const override { return MasterSource(); }

  int32_t GetRecNo() const override;
  void SetRecNo(int32_t value) override;
  int32_t GetRecordCount() const override;
  bool BookmarkValid(const TBookmark& bookmark) override;
  int32_t CompareBookmarks(const TBookmark& a, const TBookmark& b) override;
  bool Locate(std::string_view keyFields, const OleVariant& keyValues,
              TLocateOptions options) override;
  OleVariant Lookup(std::string_view keyFields, const OleVariant& keyValues,
                    std::string_view resultFields) override;
  std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode) override;

  using TDataSet::GetFieldData;
  using TDataSet::SetFieldData;
  bool GetFieldData(TField* field, void* buffer) override;
  void SetFieldData(TField* field, const void* buffer) override;

  // The ring, for tests that watch it.
  using TDataSet::BufferedRecordCount;
  using TDataSet::SetBufferCount;

  std::function<void(std::string_view hook)> OnHook;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

  TRecordBuffer AllocRecordBuffer() override;
  void FreeRecordBuffer(TRecordBuffer& buffer) override;
  int32_t GetRecordSize() const override { return recordSize_; }
  TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) override;
  void InternalOpen() override;
  void InternalClose() override;
  void InternalInitFieldDefs() override;
  bool IsCursorOpen() const override { return open_; }
  void InternalFirst() override;
  void InternalLast() override;
  void InternalSetToRecord(TRecordBuffer buffer) override;
  void InternalGotoBookmark(const void* bookmark) override;
  void GetBookmarkData(TRecordBuffer buffer, void* data) const override;
  void SetBookmarkData(TRecordBuffer buffer, const void* data) override;
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) const override;
  void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) override;
  void InternalInitRecord(TRecordBuffer buffer) override;
  void InternalInsert() override;
  void InternalEdit() override;
  void InternalPost() override;
  void InternalCancel() override;
  void InternalDelete() override;
  void InternalRefresh() override;
  bool GetCanModify() const override { return !readOnly_; }

 private:
  struct Slot {
    int32_t offset = 0;  // the null byte; -1 for a blob
    int32_t size = 0;
    int32_t blob = -1;   // index among the record's blobs
    // How much of the value the bound field's buffer takes (its DataSize
    // may be smaller than the definition's).
    int32_t copied = 0;
  };
  struct Definition {
    std::string name;
    TFieldType type;
    int32_t size;
    bool required;
  };

  void Hook(std::string_view name) {
    if (OnHook) OnHook(name);
  }
  TRecordBuffer RecordBuffer() const;
  int32_t InfoOffset() const { return recordSize_ + CalcFieldsSize(); }
  uint32_t IdOf(TRecordBuffer buffer) const;
  void SetIdOf(TRecordBuffer buffer, uint32_t id);
  std::vector<std::vector<uint8_t>>& BlobsOf(TRecordBuffer buffer);
  int32_t ViewSize() const;
  Record& ViewRecord(int32_t position);
  int32_t RecordIndex(int32_t position) const;
  int32_t PositionOf(uint32_t id) const;
  // The index in records_ of the record with that ID, or -1.
  int32_t IndexOf(uint32_t id) const;
  void CopyIntoBuffer(const Record& record, TRecordBuffer buffer);
  // Runs `test` on each record of the view with the fields reading it (in
  // dsFilter); answers the position of the first that passes, or -1.
  int32_t FindRecord(const std::function<bool()>& test);
  void RebuildView();
  void MasterChanged();

  std::vector<Definition> structure_;
  std::vector<Slot> slots_;
  std::vector<Record> records_;
  // Record IDs to indexes in records_, rebuilt when records move.
  mutable std::unordered_map<uint32_t, int32_t> indexes_;
  mutable bool indexesValid_ = false;
  // The records shown (indexes into records_) while a master filters them.
  std::vector<int32_t> view_;
  bool filtered_ = false;
  std::unordered_map<TRecordBuffer, std::vector<std::vector<uint8_t>>> bufferBlobs_;
  TRecordBuffer filterBuffer_ = nullptr;
  std::vector<uint8_t> emptyBlob_;
  int32_t recordSize_ = 0;
  int32_t blobCount_ = 0;
  int32_t cursor_ = -1;
  uint32_t nextId_ = 1;
  bool open_ = false;
  bool readOnly_ = false;
  std::string detailField_;
  TFieldDataLink masterLink_;
};
