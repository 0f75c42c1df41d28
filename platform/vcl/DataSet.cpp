#include "platform/vcl/DataSet.h"

#include <cstring>

#include "platform/text/SysUtils.h"
#include "platform/vcl/BlobFields.h"
#include "platform/vcl/BooleanField.h"
#include "platform/vcl/DBConsts.h"
#include "platform/vcl/DataSource.h"
#include "platform/vcl/DateTimeFields.h"
#include "platform/vcl/NativeDateTime.h"
#include "platform/vcl/NumericFields.h"
#include "platform/vcl/PublishedProperties.h"
#include "platform/vcl/StringFields.h"

TDataSet::TDataSet(TComponent* owner)
    : TComponent(owner),
      fields_(std::make_unique<TFields>(this)),
      fieldDefs_(std::make_unique<TFieldDefs>(this)) {}

TDataSet::~TDataSet() {
  Destroying();
  // Without the hooks of the derived class (gone by now) the sources are
  // let go directly.
  while (!dataSources_.empty()) {
    TDataSource* source = dataSources_.back();
    dataSources_.pop_back();
    source->DataSetDestroyed();
  }
  fields_->Clear();
}

void TDataSet::GetPublishedProperties(TPublishedProperties& properties) {
  TComponent::GetPublishedProperties(properties);
  properties.AddBoolean(
      "Active", [this] { return Active(); }, [this](bool value) { SetActive(value); }, false);
  properties.AddBoolean(
      "AutoCalcFields", [this] { return autoCalcFields_; },
      [this](bool value) { autoCalcFields_ = value; }, true);
}

void TDataSet::GetChildren(const ChildProc& proc, TComponent* root) {
  TComponent::GetChildren(proc, root);
  for (TField* field : *fields_) {
    if (field->Owner() == root) proc(*field);
  }
}

void TDataSet::Loaded() {
  TComponent::Loaded();
  try {
    if (streamedActive_) SetActive(true);
  } catch (const Exception&) {
    if (!ComponentState().Contains(csDesigning)) throw;
    InternalHandleException();
  }
}

void TDataSet::InternalHandleException() { throw; }

void TDataSet::SetActive(bool value) {
  if (ComponentState().Contains(csReading)) {
    streamedActive_ = value;
    return;
  }
  if (value == Active()) return;
  if (value) {
    DoBeforeOpen();
    try {
      OpenCursor(false);
    } catch (...) {
      SetState(dsInactive);
      CloseCursor();
      throw;
    }
    SetState(dsBrowse);
    DoAfterOpen();
    if (!IsEmpty()) DoAfterScroll();
  } else {
    const bool destroying = ComponentState().Contains(csDestroying);
    if (!destroying) DoBeforeClose();
    SetState(dsInactive);
    CloseCursor();
    if (!destroying) DoAfterClose();
  }
}

void TDataSet::OpenCursor(bool infoQuery) {
  if (infoQuery) {
    InternalInitFieldDefs();
  } else {
    DoInternalOpen();
  }
}

void TDataSet::DoInternalOpen() {
  defaultFields_ = fields_->Count() == 0;
  InternalOpen();
  fieldDefs_->SetUpdated(true);
  UpdateBufferCount();
  bof_ = true;
}

void TDataSet::CloseCursor() {
  blockReadSize_ = 0;
  ClearBuffers();
  SetBufListSize(0);
  InternalClose();
  defaultFields_ = false;
}

void TDataSet::InitFieldDefs() {
  if (IsCursorOpen()) {
    InternalInitFieldDefs();
  } else {
    try {
      OpenCursor(true);
    } catch (...) {
      CloseCursor();
      throw;
    }
    CloseCursor();
  }
  fieldDefs_->SetUpdated(true);
}

void TDataSet::ClosedError() const { DatabaseError(SDataSetClosed, this); }

void TDataSet::CheckInactive() {
  if (!Active()) return;
  if (ComponentState().Contains(csUpdating) || ComponentState().Contains(csDesigning)) {
    Close();
  } else {
    DatabaseError(SDataSetOpen, this);
  }
}

void TDataSet::CheckCanModify() const {
  if (!CanModify()) DatabaseError(SDataSetReadOnly, this);
}

TField* TDataSet::FieldByName(std::string_view name) const {
  TField* field = fields_->FindField(name);
  if (field == nullptr) DatabaseError(Format(SFieldNotFound, {name}), this);
  return field;
}

std::vector<TField*> TDataSet::GetFieldList(std::string_view fieldNames) const {
  std::vector<TField*> list;
  size_t start = 0;
  while (start <= fieldNames.size()) {
    size_t end = fieldNames.find(';', start);
    if (end == std::string_view::npos) end = fieldNames.size();
    const std::string name = Trim(fieldNames.substr(start, end - start));
    if (!name.empty()) list.push_back(FieldByName(name));
    start = end + 1;
  }
  return list;
}

OleVariant TDataSet::GetFieldValues(std::string_view fieldNames) const {
  const std::vector<TField*> list = GetFieldList(fieldNames);
  if (list.size() == 1) return list.front()->Value();
  std::vector<OleVariant> values;
  values.reserve(list.size());
  for (const TField* field : list) values.push_back(field->Value());
  return OleVariant::ArrayOf(std::move(values));
}

TFieldClass TDataSet::GetFieldClass(TFieldType fieldType) const {
  switch (fieldType) {
    case ftString: return MakeField<TStringField>;
    case ftWideString: return MakeField<TWideStringField>;
    case ftSmallint: return MakeField<TSmallintField>;
    case ftInteger: return MakeField<TIntegerField>;
    case ftLargeint: return MakeField<TLargeintField>;
    case ftBoolean: return MakeField<TBooleanField>;
    case ftFloat: return MakeField<TFloatField>;
    case ftCurrency: return MakeField<TCurrencyField>;
    case ftDate: return MakeField<TDateField>;
    case ftTime: return MakeField<TTimeField>;
    case ftDateTime: return MakeField<TDateTimeField>;
    case ftBlob: return MakeField<TBlobField>;
    case ftMemo: return MakeField<TMemoField>;
    default: return nullptr;
  }
}

void TDataSet::CreateFields() {
  for (int i = 0; i < fieldDefs_->Count(); ++i) {
    const TFieldDef& def = (*fieldDefs_)[i];
    if (def.DataType() != ftUnknown) def.CreateField(this);
  }
}

void TDataSet::BindFields(bool binding) {
  calcFieldsSize_ = 0;
  for (TField* field : *fields_) {
    if (!binding) {
      field->fieldNo_ = 0;
      continue;
    }
    if (field->Calculated() || field->Lookup()) {
      field->fieldNo_ = -1;
      field->offset_ = calcFieldsSize_;
      calcFieldsSize_ += field->DataSize() + 1;
      continue;
    }
    const int index = fieldDefs_->IndexOf(field->FieldName());
    if (index < 0) DatabaseError(Format(SFieldNotFound, {field->DisplayName()}), this);
    const TFieldDef& def = (*fieldDefs_)[index];
    if (def.DataType() != field->DataType()) {
      DatabaseError(Format(SFieldTypeMismatch, {field->DisplayName(), FieldTypeName(field->DataType()),
                                                FieldTypeName(def.DataType())}),
                    this);
    }
    field->fieldNo_ = def.FieldNo();
  }
}

bool TDataSet::ReadCalcField(TRecordBuffer buffer, const TField& field, void* value) const {
  const uint8_t* slot = buffer + GetRecordSize() + field.Offset();
  if (slot[0] == 0) return false;
  if (value != nullptr) std::memcpy(value, slot + 1, static_cast<size_t>(field.DataSize()));
  return true;
}

void TDataSet::WriteCalcField(TRecordBuffer buffer, const TField& field, const void* value) {
  uint8_t* slot = buffer + GetRecordSize() + field.Offset();
  slot[0] = value != nullptr ? 1 : 0;
  if (value != nullptr) std::memcpy(slot + 1, value, static_cast<size_t>(field.DataSize()));
}

bool TDataSet::GetFieldData(TField* field, void* buffer, bool nativeFormat) {
  if (nativeFormat || buffer == nullptr) return GetFieldData(field, buffer);
  return GetConvertedFieldData(field, buffer);
}

bool TDataSet::GetConvertedFieldData(TField* field, void* buffer) {
  std::vector<uint8_t> native(static_cast<size_t>(field->DataSize()));
  const bool hasValue = GetFieldData(field, native.data());
  if (hasValue) DataConvert(field, native.data(), buffer, false);
  return hasValue;
}

void TDataSet::SetFieldData(TField* field, const void* buffer, bool nativeFormat) {
  if (nativeFormat || buffer == nullptr) {
    SetFieldData(field, buffer);
    return;
  }
  std::vector<uint8_t> native(static_cast<size_t>(field->DataSize()));
  DataConvert(field, buffer, native.data(), true);
  SetFieldData(field, native.data());
}

void TDataSet::DataConvert(TField* field, const void* source, void* dest, bool toNative) const {
  const TFieldType type = field->DataType();
  if (type != ftDate && type != ftTime && type != ftDateTime) {
    std::memcpy(dest, source, static_cast<size_t>(field->DataSize()));
    return;
  }
  if (toNative) {
    TDateTime value;
    std::memcpy(&value, source, sizeof value);
    const TTimeStamp stamp = DateTimeToTimeStamp(value);
    if (type == ftDateTime) {
      const double milliseconds = TimeStampToMSecs(stamp);
      std::memcpy(dest, &milliseconds, sizeof milliseconds);
    } else {
      const int32_t part = type == ftDate ? stamp.Date : stamp.Time;
      std::memcpy(dest, &part, sizeof part);
    }
    return;
  }
  TTimeStamp stamp;
  if (type == ftDateTime) {
    double milliseconds;
    std::memcpy(&milliseconds, source, sizeof milliseconds);
    stamp = MSecsToTimeStamp(milliseconds);
  } else {
    int32_t part;
    std::memcpy(&part, source, sizeof part);
    if (type == ftDate) {
      stamp.Date = part;
    } else {
      stamp.Date = kDateDelta;
      stamp.Time = part;
    }
  }
  const TDateTime value = TimeStampToDateTime(stamp);
  std::memcpy(dest, &value, sizeof value);
}

std::unique_ptr<TStream> TDataSet::CreateBlobStream(TField*, TBlobStreamMode) { return nullptr; }

int32_t TDataSet::GetRecNo() const { return -1; }

void TDataSet::SetRecNo(int32_t) {}

int32_t TDataSet::GetRecordCount() const { return -1; }

bool TDataSet::BookmarkValid(const TBookmark&) { return false; }

int32_t TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) {
  if (a.empty() != b.empty()) return a.empty() ? -1 : 1;
  return 0;
}

bool TDataSet::Locate(std::string_view, const OleVariant&, TLocateOptions) { return false; }

OleVariant TDataSet::Lookup(std::string_view, const OleVariant&, std::string_view) {
  return OleVariant::Null();
}
