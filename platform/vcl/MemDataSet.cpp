#include "platform/vcl/MemDataSet.h"

#include <algorithm>
#include <cstring>

#include "platform/text/Locale.h"
#include "platform/text/SysUtils.h"
#include "platform/vcl/ClassRegistry.h"
#include "platform/vcl/DBConsts.h"
#include "platform/vcl/DataSource.h"
#include "platform/vcl/PublishedProperties.h"
#include "platform/vcl/Reader.h"
#include "platform/vcl/TryFinally.h"
#include "platform/vcl/Writer.h"

namespace {

[[maybe_unused]] const bool kMemDataSetRegistered = [] {
  RegisterComponentClass<TMemDataSet>("TMemDataSet");
  return true;
}();

int32_t NativeSize(TFieldType type, int32_t size) {
  switch (type) {
    case ftString: return size + 1;
    case ftWideString: return (size + 1) * 2;
    case ftSmallint:
    case ftBoolean: return 2;
    case ftInteger:
    case ftDate:
    case ftTime: return 4;
    case ftLargeint:
    case ftFloat:
    case ftCurrency:
    case ftDateTime: return 8;
    default: DatabaseError("Unsupported field type " + FieldTypeName(type));
  }
}

// A field's value against a key: null only matches null; text compares as
// the options say; other values by value.
bool Matches(const TField& field, const OleVariant& key, TLocateOptions options) {
  const OleVariant value = field.Value();
  if (key.IsNull() || key.IsEmpty()) return value.IsNull();
  if (value.IsNull()) return false;
  switch (value.ValueType()) {
    case VT_BSTR: {
      std::u16string text = value.AsString();
      const std::u16string wanted = VarToWideStr(key);
      if (options.Contains(loPartialKey) && text.size() > wanted.size()) text.resize(wanted.size());
      return options.Contains(loCaseInsensitive) ? WideSameText(text, wanted) : text == wanted;
    }
    case VT_BOOL: return value.AsBool() == key.AsBool();
    default: return value.AsDouble() == key.AsDouble();
  }
}

// Copies a field value; the usual sizes are copied inline (every field
// read of a scan comes here).
void CopyValue(void* target, const void* source, int32_t size) {
  switch (size) {
    case 2: std::memcpy(target, source, 2); break;
    case 4: std::memcpy(target, source, 4); break;
    case 8: std::memcpy(target, source, 8); break;
    default: std::memcpy(target, source, static_cast<size_t>(size)); break;
  }
}

// A blob of the active record, telling the data set of every change.
class BlobStream : public TByteVectorStream {
 public:
  BlobStream(TDataSet& dataSet, TField& field, std::vector<uint8_t>& bytes, TBlobStreamMode mode)
      : TByteVectorStream(bytes), dataSet_(dataSet), field_(field), mode_(mode) {}

  int64_t Write(const void* buffer, int64_t count) override {
    CheckWritable();
    const int64_t written = TByteVectorStream::Write(buffer, count);
    if (written > 0) Changed();
    return written;
  }
  void SetSize(int64_t size) override {
    CheckWritable();
    TByteVectorStream::SetSize(size);
    Changed();
  }

 private:
  void CheckWritable() const {
    if (mode_ == bmRead) {
      throw EStreamError("The blob of field '" + field_.DisplayName() + "' is open for reading");
    }
  }
  void Changed() { dataSet_.DataEvent(deFieldChange, reinterpret_cast<intptr_t>(&field_)); }

  TDataSet& dataSet_;
  TField& field_;
  TBlobStreamMode mode_;
};

}  // namespace

TMemDataSet::TMemDataSet(TComponent* owner) : TDataSet(owner) {
  masterLink_.OnDataChange = [this](TFieldDataLink&) { MasterChanged(); };
}

TMemDataSet::~TMemDataSet() {
  Destroying();
  Close();
}

void TMemDataSet::GetPublishedProperties(TPublishedProperties& properties) {
  TDataSet::GetPublishedProperties(properties);
  properties.AddString(
      "DetailField", [this] { return detailField_; },
      [this](std::string value) { SetDetailField(value); });
  properties.AddString(
      "MasterField", [this] { return MasterField(); },
      [this](std::string value) { SetMasterField(value); });
  properties.AddComponent(
      "MasterSource", [this]() -> TComponent* { return MasterSource(); },
      [this](TComponent* component) { SetMasterSource(dynamic_cast<TDataSource*>(component)); });
  properties.AddBoolean(
      "ReadOnly", [this] { return readOnly_; }, [this](bool value) { readOnly_ = value; });
}

void TMemDataSet::DefineProperties(TFiler& filer) {
  TDataSet::DefineProperties(filer);
  filer.DefineProperty(
      "Structure",
      [this](TReader& reader) {
        structure_.clear();
        reader.ReadListBegin();
        while (!reader.EndOfList()) {
          reader.ReadListBegin();
          Definition definition;
          definition.name = reader.ReadString();
          const int32_t type = reader.ReadInteger();
          if (type < ftUnknown || type > ftSingle) reader.PropValueError();
          definition.type = static_cast<TFieldType>(type);
          definition.size = reader.ReadInteger();
          definition.required = reader.ReadBoolean();
          reader.ReadListEnd();
          structure_.push_back(definition);
        }
        reader.ReadListEnd();
      },
      [this](TWriter& writer) {
        writer.WriteListBegin();
        for (const Definition& definition : structure_) {
          writer.WriteListBegin();
          writer.WriteString(definition.name);
          writer.WriteInteger(definition.type);
          writer.WriteInteger(definition.size);
          writer.WriteBoolean(definition.required);
          writer.WriteListEnd();
        }
        writer.WriteListEnd();
      },
      !structure_.empty());
}

void TMemDataSet::DefineField(const std::string& name, TFieldType type, int32_t size,
                              bool required) {
  CheckInactive();
  if (!records_.empty()) DatabaseError("The structure cannot change while there are records", this);
  structure_.push_back({name, type, size, required});
}

int32_t TMemDataSet::DataOffset(const TField& field) const {
  return slots_.at(static_cast<size_t>(field.FieldNo() - 1)).offset;
}

void TMemDataSet::SetMasterSource(TDataSource* source) {
  if (source == MasterSource()) return;
  if (source != nullptr && IsLinkedTo(source)) DatabaseError(SCircularDataLink, this);
  if (MasterSource() != nullptr) MasterSource()->RemoveFreeNotification(this);
  masterLink_.SetDataSource(source);
  if (source != nullptr) source->FreeNotification(this);
}

void TMemDataSet::Notification(TComponent* component, TOperation operation) {
  TDataSet::Notification(component, operation);
  if (operation == opRemove && component != nullptr && component == MasterSource()) {
    SetMasterSource(nullptr);
  }
}

void TMemDataSet::SetDetailField(const std::string& name) {
  if (name == detailField_) return;
  detailField_ = name;
  MasterChanged();
}

void TMemDataSet::MasterChanged() {
  if (!Active()) return;
  CheckBrowseMode();
  RebuildView();
  First();
}

void TMemDataSet::RebuildView() {
  TField* master = masterLink_.Field();
  filtered_ = masterLink_.Active() && master != nullptr && !detailField_.empty();
  view_.clear();
  if (!filtered_ || master->DataSet()->IsEmpty()) return;
  const TField* detail = FieldByName(detailField_);
  const OleVariant key = master->Value();
  const TDataSetState saved = SetTempState(dsFilter);
  TryFinally(
      [&] {
        for (size_t i = 0; i < records_.size(); ++i) {
          CopyIntoBuffer(records_[i], filterBuffer_);
          if (Matches(*detail, key, {})) view_.push_back(static_cast<int32_t>(i));
        }
      },
      [&] { RestoreState(saved); });
}

int32_t TMemDataSet::ViewSize() const {
  return filtered_ ? static_cast<int32_t>(view_.size()) : static_cast<int32_t>(records_.size());
}

int32_t TMemDataSet::RecordIndex(int32_t position) const {
  return filtered_ ? view_[static_cast<size_t>(position)] : position;
}

TMemDataSet::Record& TMemDataSet::ViewRecord(int32_t position) {
  return records_[static_cast<size_t>(RecordIndex(position))];
}

int32_t TMemDataSet::IndexOf(uint32_t id) const {
  if (!indexesValid_) {
    indexes_.clear();
    for (size_t i = 0; i < records_.size(); ++i) indexes_[records_[i].id] = static_cast<int32_t>(i);
    indexesValid_ = true;
  }
  const auto found = indexes_.find(id);
  return found == indexes_.end() ? -1 : found->second;
}

int32_t TMemDataSet::PositionOf(uint32_t id) const {
  const int32_t index = IndexOf(id);
  if (index < 0 || !filtered_) return index;
  const auto found = std::lower_bound(view_.begin(), view_.end(), index);
  return found != view_.end() && *found == index ? static_cast<int32_t>(found - view_.begin()) : -1;
}

void TMemDataSet::RemoveStoredRecord(size_t index) {
  records_.erase(records_.begin() + static_cast<long>(index));
  indexesValid_ = false;
}

uint32_t TMemDataSet::IdOf(TRecordBuffer buffer) const {
  uint32_t id = 0;
  std::memcpy(&id, buffer + InfoOffset(), sizeof id);
  return id;
}

void TMemDataSet::SetIdOf(TRecordBuffer buffer, uint32_t id) {
  std::memcpy(buffer + InfoOffset(), &id, sizeof id);
}

std::vector<std::vector<uint8_t>>& TMemDataSet::BlobsOf(TRecordBuffer buffer) {
  return bufferBlobs_.at(buffer);
}

void TMemDataSet::CopyIntoBuffer(const Record& record, TRecordBuffer buffer) {
  std::memcpy(buffer, record.data.data(), static_cast<size_t>(recordSize_));
  SetIdOf(buffer, record.id);
  if (blobCount_ > 0) BlobsOf(buffer) = record.blobs;
}

TRecordBuffer TMemDataSet::RecordBuffer() const {
  switch (State()) {
    case dsBrowse:
    case dsBlockRead: return IsEmpty() ? nullptr : ActiveBuffer();
    case dsEdit:
    case dsInsert: return ActiveBuffer();
    case dsCalcFields: return CalcBuffer();
    case dsFilter: return filterBuffer_;
    default: return nullptr;
  }
}

// --- Opening and closing ------------------------------------------------------

void TMemDataSet::InternalInitFieldDefs() {
  Hook("InternalInitFieldDefs");
  FieldDefs().Clear();
  for (const Definition& definition : structure_) {
    const bool sized = definition.type == ftString || definition.type == ftWideString;
    FieldDefs().Add(definition.name, definition.type, sized ? definition.size : 0,
                    definition.required);
  }
}

void TMemDataSet::InternalOpen() {
  Hook("InternalOpen");
  InternalInitFieldDefs();
  if (DefaultFields()) CreateFields();
  BindFields(true);
  slots_.clear();
  recordSize_ = 0;
  blobCount_ = 0;
  for (int i = 0; i < FieldDefs().Count(); ++i) {
    const TFieldDef& def = FieldDefs()[i];
    Slot slot;
    if (IsBlobFieldType(def.DataType())) {
      slot.offset = -1;
      slot.blob = blobCount_++;
    } else {
      slot.offset = recordSize_;
      slot.size = NativeSize(def.DataType(), def.Size());
      recordSize_ += 1 + slot.size;
    }
    slots_.push_back(slot);
  }
  for (TField* field : Fields()) {
    if (field->FieldNo() > 0) {
      Slot& slot = slots_[static_cast<size_t>(field->FieldNo() - 1)];
      slot.copied = std::min(slot.size, field->DataSize());
    }
  }
  SetBookmarkSize(sizeof(uint32_t));
  filterBuffer_ = AllocRecordBuffer();
  cursor_ = -1;
  open_ = true;
  RebuildView();
}

void TMemDataSet::InternalClose() {
  Hook("InternalClose");
  if (filterBuffer_ != nullptr) FreeRecordBuffer(filterBuffer_);
  BindFields(false);
  if (DefaultFields()) DestroyFields();
  view_.clear();
  filtered_ = false;
  open_ = false;
}

TRecordBuffer TMemDataSet::AllocRecordBuffer() {
  auto* buffer = new uint8_t[static_cast<size_t>(InfoOffset()) + sizeof(uint32_t) + 1]();
  bufferBlobs_[buffer].resize(static_cast<size_t>(blobCount_));
  return buffer;
}

void TMemDataSet::FreeRecordBuffer(TRecordBuffer& buffer) {
  bufferBlobs_.erase(buffer);
  delete[] buffer;
  buffer = nullptr;
}

// --- Moving -----------------------------------------------------------------------

TGetResult TMemDataSet::GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) {
  const int32_t size = ViewSize();
  switch (mode) {
    case gmNext:
      Hook("GetRecord(next)");
      if (cursor_ >= size - 1) {
        cursor_ = size;
        return grEOF;
      }
      ++cursor_;
      break;
    case gmPrior:
      Hook("GetRecord(prior)");
      if (cursor_ <= 0) {
        cursor_ = -1;
        return grBOF;
      }
      --cursor_;
      break;
    case gmCurrent:
      Hook("GetRecord(current)");
      if (cursor_ < 0 || cursor_ >= size) {
        if (doCheck) DatabaseError(SRecordNotFound, this);
        return grError;
      }
      break;
  }
  CopyIntoBuffer(ViewRecord(cursor_), buffer);
  SetBookmarkFlag(buffer, bfCurrent);
  GetCalcFields(buffer);
  return grOK;
}

void TMemDataSet::InternalFirst() {
  Hook("InternalFirst");
  cursor_ = -1;
}

void TMemDataSet::InternalLast() {
  Hook("InternalLast");
  cursor_ = ViewSize();
}

void TMemDataSet::InternalSetToRecord(TRecordBuffer buffer) {
  Hook("InternalSetToRecord");
  const int32_t position = PositionOf(IdOf(buffer));
  if (position < 0) DatabaseError(SRecordNotFound, this);
  cursor_ = position;
}

void TMemDataSet::InternalGotoBookmark(const void* bookmark) {
  Hook("InternalGotoBookmark");
  uint32_t id = 0;
  std::memcpy(&id, bookmark, sizeof id);
  const int32_t position = PositionOf(id);
  if (position < 0) DatabaseError(SRecordNotFound, this);
  cursor_ = position;
}

void TMemDataSet::GetBookmarkData(TRecordBuffer buffer, void* data) const {
  std::memcpy(data, buffer + InfoOffset(), sizeof(uint32_t));
}

void TMemDataSet::SetBookmarkData(TRecordBuffer buffer, const void* data) {
  std::memcpy(buffer + InfoOffset(), data, sizeof(uint32_t));
}

TBookmarkFlag TMemDataSet::GetBookmarkFlag(TRecordBuffer buffer) const {
  return static_cast<TBookmarkFlag>(buffer[InfoOffset() + sizeof(uint32_t)]);
}

void TMemDataSet::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) {
  buffer[InfoOffset() + sizeof(uint32_t)] = static_cast<uint8_t>(flag);
}

int32_t TMemDataSet::GetRecNo() const {
  CheckActive();
  const TRecordBuffer buffer = RecordBuffer();
  if (buffer == nullptr || GetBookmarkFlag(buffer) != bfCurrent) return 0;
  return PositionOf(IdOf(buffer)) + 1;
}

void TMemDataSet::SetRecNo(int32_t value) {
  CheckBrowseMode();
  if (value < 1 || value > ViewSize() || value == GetRecNo()) return;
  DoBeforeScroll();
  cursor_ = value - 1;
  Resync({rmCenter});
  DoAfterScroll();
}

int32_t TMemDataSet::GetRecordCount() const {
  CheckActive();
  return ViewSize();
}

bool TMemDataSet::BookmarkValid(const TBookmark& bookmark) {
  if (!open_ || bookmark.size() < sizeof(uint32_t)) return false;
  uint32_t id = 0;
  std::memcpy(&id, bookmark.data(), sizeof id);
  return PositionOf(id) >= 0;
}

int32_t TMemDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) {
  if (a.size() < sizeof(uint32_t) || b.size() < sizeof(uint32_t)) {
    return TDataSet::CompareBookmarks(a, b);
  }
  const auto indexOf = [this](const TBookmark& bookmark) -> int64_t {
    uint32_t id = 0;
    std::memcpy(&id, bookmark.data(), sizeof id);
    const int32_t index = IndexOf(id);
    return index >= 0 ? index : int64_t{id} << 32;  // records no longer there sort after, by ID
  };
  const int64_t left = indexOf(a);
  const int64_t right = indexOf(b);
  return left < right ? -1 : left > right ? 1 : 0;
}

// --- Searching ---------------------------------------------------------------------

int32_t TMemDataSet::FindRecord(const std::function<bool()>& test) {
  int32_t found = -1;
  const TDataSetState saved = SetTempState(dsFilter);
  TryFinally(
      [&] {
        for (int32_t position = 0; position < ViewSize() && found < 0; ++position) {
          CopyIntoBuffer(ViewRecord(position), filterBuffer_);
          if (test()) found = position;
        }
      },
      [&] { RestoreState(saved); });
  return found;
}

namespace {

// The key for field `index` of `count`: the value itself for one field,
// else the index-th element of the array.
const OleVariant& KeyAt(const OleVariant& keyValues, size_t index, size_t count) {
  if (count == 1) return keyValues;
  return keyValues[keyValues.LowBound() + static_cast<int32_t>(index)];
}

void CheckKeys(const OleVariant& keyValues, size_t count, const TComponent* dataSet) {
  if (count > 1 && (!keyValues.IsArray() || static_cast<size_t>(keyValues.ElementCount()) != count)) {
    DatabaseError("Give one key value for each key field", dataSet);
  }
}

}  // namespace

bool TMemDataSet::Locate(std::string_view keyFields, const OleVariant& keyValues,
                         TLocateOptions options) {
  CheckBrowseMode();
  const std::vector<TField*> fields = GetFieldList(keyFields);
  CheckKeys(keyValues, fields.size(), this);
  const int32_t position = FindRecord([&] {
    for (size_t i = 0; i < fields.size(); ++i) {
      if (!Matches(*fields[i], KeyAt(keyValues, i, fields.size()), options)) return false;
    }
    return true;
  });
  if (position < 0) return false;
  DoBeforeScroll();
  cursor_ = position;
  Resync({rmExact, rmCenter});
  DoAfterScroll();
  return true;
}

OleVariant TMemDataSet::Lookup(std::string_view keyFields, const OleVariant& keyValues,
                               std::string_view resultFields) {
  CheckBrowseMode();
  const std::vector<TField*> fields = GetFieldList(keyFields);
  CheckKeys(keyValues, fields.size(), this);
  const int32_t position = FindRecord([&] {
    for (size_t i = 0; i < fields.size(); ++i) {
      if (!Matches(*fields[i], KeyAt(keyValues, i, fields.size()), {})) return false;
    }
    return true;
  });
  if (position < 0) return OleVariant::Null();
  // The filter buffer still holds the record found.
  OleVariant result;
  const TDataSetState saved = SetTempState(dsFilter);
  TryFinally([&] { result = GetFieldValues(resultFields); }, [&] { RestoreState(saved); });
  return result;
}

// --- Fields ----------------------------------------------------------------------------

bool TMemDataSet::GetFieldData(TField* field, void* buffer) {
  const TRecordBuffer record = RecordBuffer();
  if (record == nullptr) return false;
  if (field->FieldNo() < 1) return ReadCalcField(record, *field, buffer);
  const Slot& slot = slots_[static_cast<size_t>(field->FieldNo() - 1)];
  if (slot.blob >= 0) return !BlobsOf(record)[static_cast<size_t>(slot.blob)].empty();
  if (record[slot.offset] == 0) return false;
  if (buffer != nullptr) CopyValue(buffer, record + slot.offset + 1, slot.copied);
  return true;
}

void TMemDataSet::SetFieldData(TField* field, const void* buffer) {
  const TRecordBuffer record = RecordBuffer();
  if (!dsWriteModes.Contains(State()) || record == nullptr) DatabaseError(SNotEditing, this);
  if (field->FieldNo() < 1) {
    field->Validate(buffer);
    WriteCalcField(record, *field, buffer);
  } else {
    const Slot& slot = slots_[static_cast<size_t>(field->FieldNo() - 1)];
    if (State() == dsCalcFields || State() == dsFilter || slot.blob >= 0) {
      DatabaseError(SNotEditing, this);
    }
    if (field->ReadOnly()) DatabaseError(Format(SFieldReadOnly, {field->DisplayName()}), this);
    field->Validate(buffer);
    record[slot.offset] = buffer != nullptr ? 1 : 0;
    std::memset(record + slot.offset + 1, 0, static_cast<size_t>(slot.size));
    if (buffer != nullptr) {
      std::memcpy(record + slot.offset + 1, buffer, static_cast<size_t>(slot.copied));
    }
  }
  if (State() != dsCalcFields && State() != dsFilter) {
    DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
  }
}

std::unique_ptr<TStream> TMemDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode) {
  CheckActive();
  if (field->FieldNo() < 1 || slots_[static_cast<size_t>(field->FieldNo() - 1)].blob < 0) {
    DatabaseError("Field '" + field->DisplayName() + "' is not a blob field", this);
  }
  if (mode != bmRead) {
    if (State() != dsEdit && State() != dsInsert) DatabaseError(SNotEditing, this);
    if (field->ReadOnly()) DatabaseError(Format(SFieldReadOnly, {field->DisplayName()}), this);
  }
  const TRecordBuffer record = RecordBuffer();
  if (record == nullptr) {
    emptyBlob_.clear();
    return std::make_unique<BlobStream>(*this, *field, emptyBlob_, bmRead);
  }
  const Slot& slot = slots_[static_cast<size_t>(field->FieldNo() - 1)];
  std::vector<uint8_t>& bytes = BlobsOf(record)[static_cast<size_t>(slot.blob)];
  if (mode == bmWrite && !bytes.empty()) {
    bytes.clear();
    DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
  }
  return std::make_unique<BlobStream>(*this, *field, bytes, mode);
}

// --- Editing ----------------------------------------------------------------------------

void TMemDataSet::InternalInitRecord(TRecordBuffer buffer) {
  Hook("InternalInitRecord");
  std::memset(buffer, 0, static_cast<size_t>(recordSize_));
  if (blobCount_ > 0) {
    for (auto& blob : BlobsOf(buffer)) blob.clear();
  }
}

void TMemDataSet::InternalInsert() { Hook("InternalInsert"); }

void TMemDataSet::InternalEdit() { Hook("InternalEdit"); }

void TMemDataSet::InternalCancel() { Hook("InternalCancel"); }

void TMemDataSet::InternalPost() {
  Hook("InternalPost");
  TDataSet::InternalPost();
  const TRecordBuffer buffer = ActiveBuffer();
  uint32_t id = 0;
  if (State() == dsInsert) {
    id = nextId_++;
    Record record{id, std::vector<uint8_t>(buffer, buffer + recordSize_), BlobsOf(buffer)};
    // The cursor is on the record the new one goes before (past the end
    // for an append, before the first in an empty data set).
    const int32_t size = ViewSize();
    const int32_t position = std::clamp(cursor_, 0, size);
    const int32_t index = position < size ? RecordIndex(position) : static_cast<int32_t>(records_.size());
    records_.insert(records_.begin() + index, std::move(record));
    if (indexesValid_ && static_cast<size_t>(index) + 1 == records_.size()) {
      indexes_[id] = index;
    } else {
      indexesValid_ = false;
    }
    if (!filtered_) {
      cursor_ = position;
      return;
    }
  } else {
    Record& record = ViewRecord(cursor_);
    id = record.id;
    record.data.assign(buffer, buffer + recordSize_);
    record.blobs = BlobsOf(buffer);
    if (!filtered_) return;
  }
  RebuildView();
  cursor_ = PositionOf(id);
}

void TMemDataSet::InternalDelete() {
  Hook("InternalDelete");
  records_.erase(records_.begin() + RecordIndex(cursor_));
  indexesValid_ = false;
  if (filtered_) RebuildView();
}

void TMemDataSet::InternalRefresh() {
  Hook("InternalRefresh");
  RebuildView();
}
