#include "platform/vcl/Field.h"

#include <cstring>

#include "platform/text/SysUtils.h"
#include "platform/text/Utf.h"
#include "platform/vcl/DBConsts.h"
#include "platform/vcl/DataSet.h"
#include "platform/vcl/PublishedProperties.h"
#include "platform/vcl/TryFinally.h"

namespace {
constexpr std::string_view kAlignmentNames[] = {"taLeftJustify", "taRightJustify", "taCenter"};
constexpr std::string_view kFieldKindNames[] = {"fkData", "fkCalculated", "fkLookup",
                                                "fkInternalCalc"};
}  // namespace

TField::TField(TComponent* owner) : TComponent(owner) {}

TField::~TField() {
  if (dataSet_ != nullptr) dataSet_->Fields().Remove(this);
}

void TField::GetPublishedProperties(TPublishedProperties& properties) {
  TComponent::GetPublishedProperties(properties);
  properties.AddEnumeration(
      "Alignment", kAlignmentNames, [this] { return static_cast<int>(alignment_); },
      [this](int value) { SetAlignment(static_cast<TAlignment>(value)); },
      static_cast<int>(DefaultAlignment()));
  properties.AddString(
      "DisplayLabel", [this] { return displayLabel_; },
      [this](std::string value) { SetDisplayLabel(value); });
  properties.AddString(
      "EditMask", [this] { return editMask_; }, [this](std::string value) { editMask_ = value; });
  properties.AddEnumeration(
      "FieldKind", kFieldKindNames, [this] { return static_cast<int>(fieldKind_); },
      [this](int value) { SetFieldKind(static_cast<TFieldKind>(value)); }, fkData);
  properties.AddString(
      "FieldName", [this] { return fieldName_; }, [this](std::string value) { SetFieldName(value); });
  properties.AddBoolean(
      "ReadOnly", [this] { return readOnly_; }, [this](bool value) { SetReadOnly(value); });
  properties.AddBoolean(
      "Required", [this] { return required_; }, [this](bool value) { required_ = value; });
  properties.AddBoolean(
      "Visible", [this] { return visible_; }, [this](bool value) { SetVisible(value); }, true);
}

TComponent* TField::GetParentComponent() const { return dataSet_; }

void TField::SetParentComponent(TComponent* parent) {
  auto* dataSet = dynamic_cast<TDataSet*>(parent);
  if (dataSet == nullptr) {
    throw EReadError("Field " + Name() + " cannot belong to " +
                     (parent != nullptr ? parent->Name() : std::string("nothing")));
  }
  SetDataSet(dataSet);
}

void TField::CheckInactive() const {
  if (dataSet_ != nullptr) dataSet_->CheckInactive();
}

void TField::SetDataSet(TDataSet* dataSet) {
  if (dataSet == dataSet_) return;
  CheckInactive();
  if (dataSet != nullptr) {
    dataSet->CheckInactive();
    if (!fieldName_.empty() && dataSet->FindField(fieldName_) != nullptr) {
      DatabaseError(Format(SDuplicateFieldName, {DisplayName()}), dataSet);
    }
  }
  if (dataSet_ != nullptr) dataSet_->Fields().Remove(this);
  dataSet_ = dataSet;
  if (dataSet != nullptr) dataSet->Fields().Add(this);
}

void TField::SetFieldName(const std::string& name) {
  if (name == fieldName_) return;
  if (dataSet_ != nullptr) {
    CheckInactive();
    const TField* other = dataSet_->FindField(name);
    if (other != nullptr && other != this) {
      DatabaseError(Format(SDuplicateFieldName, {name}), dataSet_);
    }
  }
  fieldName_ = name;
  if (displayLabel_ == name) displayLabel_.clear();
}

void TField::SetDisplayLabel(const std::string& label) {
  ChangeProperty(displayLabel_, label == fieldName_ ? std::string() : label, true);
}

void TField::SetFieldKind(TFieldKind kind) {
  if (kind == fieldKind_) return;
  CheckInactive();
  fieldKind_ = kind;
}

void TField::SetSize(int32_t size) {
  if (size == size_) return;
  CheckInactive();
  CheckTypeSize(size);
  size_ = size;
}

void TField::CheckTypeSize(int32_t size) const {
  if (size != 0) DatabaseError(SInvalidFieldSize);
}

int TField::Index() const { return dataSet_ != nullptr ? dataSet_->Fields().IndexOf(this) : -1; }

void TField::SetIndex(int index) {
  if (dataSet_ == nullptr) return;
  dataSet_->Fields().Move(this, index);
  PropertyChanged(true);
}

void TField::PropertyChanged(bool layoutAffected) {
  if (dataSet_ != nullptr && dataSet_->Active()) {
    dataSet_->DataEvent(layoutAffected ? deLayoutChange : deDataSetChange, 0);
  }
}

bool TField::CanModify() const {
  return fieldNo_ > 0 && !readOnly_ && dataSet_ != nullptr && dataSet_->CanModify();
}

void TField::Clear() { SetData(nullptr); }

void TField::FocusControl() {
  if (dataSet_ == nullptr || !dataSet_->Active()) return;
  TField* field = this;
  dataSet_->DataEvent(deFocusControl, reinterpret_cast<intptr_t>(&field));
}

void TField::Validate(const void* buffer) {
  if (!OnValidate) return;
  validating_ = true;
  validateBuffer_ = buffer;
  TryFinally([this] { OnValidate(*this); },
             [this] {
               validating_ = false;
               validateBuffer_ = nullptr;
             });
}

bool TField::ReadThroughDataSet(void* buffer, bool nativeFormat) const {
  auto* self = const_cast<TField*>(this);
  return nativeFormat ? dataSet_->GetFieldData(self, buffer)
                      : dataSet_->GetFieldData(self, buffer, false);
}

bool TField::GetDataSlowly(void* buffer, bool nativeFormat) const {
  if (dataSet_ == nullptr) DatabaseError(Format(SDataSetMissing, {DisplayName()}));
  auto* self = const_cast<TField*>(this);
  if (!validating_) return dataSet_->GetFieldData(self, buffer, nativeFormat);
  if (validateBuffer_ == nullptr) return false;
  if (buffer != nullptr) {
    if (nativeFormat) {
      std::memcpy(buffer, validateBuffer_, static_cast<size_t>(DataSize()));
    } else {
      dataSet_->DataConvert(self, validateBuffer_, buffer, false);
    }
  }
  return true;
}

void TField::SetData(const void* buffer, bool nativeFormat) {
  if (dataSet_ == nullptr) DatabaseError(Format(SDataSetMissing, {DisplayName()}));
  dataSet_->SetFieldData(this, buffer, nativeFormat);
}

void TField::AccessError(const char* typeName) const {
  DatabaseError(Format(SFieldAccessError, {DisplayName(), typeName}));
}

bool TField::GetAsBoolean() const { AccessError("Boolean"); }
void TField::SetAsBoolean(bool) { AccessError("Boolean"); }
TDateTime TField::GetAsDateTime() const { AccessError("DateTime"); }
void TField::SetAsDateTime(TDateTime) { AccessError("DateTime"); }
double TField::GetAsFloat() const { AccessError("Float"); }
void TField::SetAsFloat(double) { AccessError("Float"); }
int32_t TField::GetAsInteger() const { AccessError("Integer"); }
void TField::SetAsInteger(int32_t) { AccessError("Integer"); }
int64_t TField::GetAsLargeInt() const { AccessError("LargeInt"); }
void TField::SetAsLargeInt(int64_t) { AccessError("LargeInt"); }
std::string TField::GetAsString() const { AccessError("String"); }
void TField::SetAsString(const std::string&) { AccessError("String"); }
OleVariant TField::GetAsVariant() const { AccessError("Variant"); }
void TField::SetVarValue(const OleVariant&) { AccessError("Variant"); }

std::u16string TField::GetAsWideString() const { return Utf8ToUtf16(GetAsString()); }

void TField::SetAsWideString(const std::u16string& value) { SetAsString(Utf16ToUtf8(value)); }

void TField::SetAsVariant(const OleVariant& value) {
  if (value.IsNull() || value.IsEmpty()) {
    Clear();
  } else {
    SetVarValue(value);
  }
}

void TField::GetText(std::string& text, bool) const { text = GetAsString(); }

std::string TField::TextOf(bool displayText) const {
  std::string text;
  if (OnGetText) {
    OnGetText(const_cast<TField&>(*this), text, displayText);
  } else {
    GetText(text, displayText);
  }
  return text;
}

void TField::SetText(const std::string& text) {
  if (OnSetText) {
    OnSetText(*this, text);
  } else {
    ParseText(text);
  }
}

void TField::Change() {
  if (OnChange) OnChange(*this);
}
