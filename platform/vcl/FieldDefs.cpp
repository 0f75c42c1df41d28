#include "platform/vcl/FieldDefs.h"

#include "platform/text/Locale.h"
#include "platform/text/SysUtils.h"
#include "platform/vcl/DBConsts.h"
#include "platform/vcl/DataSet.h"

TFieldDef::TFieldDef(std::string name, TFieldType dataType, int32_t size, bool required,
                     int32_t fieldNo)
    : name_(std::move(name)),
      dataType_(dataType),
      size_(size),
      required_(required),
      fieldNo_(fieldNo) {}

void TFieldDef::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TFieldDef*>(&source);
  if (other == nullptr) {
    TCollectionItem::Assign(source);
    return;
  }
  SetName(other->name_);
  dataType_ = other->dataType_;
  size_ = other->size_;
  required_ = other->required_;
  fieldNo_ = other->fieldNo_;
  precision_ = other->precision_;
  internalCalcField_ = other->internalCalcField_;
  Changed(false);
}

TFieldDefs* TFieldDef::FieldDefs() const { return dynamic_cast<TFieldDefs*>(Collection()); }

void TFieldDef::SetName(const std::string& name) {
  if (name == name_) return;
  const TFieldDefs* defs = FieldDefs();
  if (defs != nullptr && !(SameText(name, name_) && !name.empty())) defs->CheckNewName(name);
  name_ = name;
  Changed(false);
}

TFieldClass TFieldDef::FieldClass() const {
  const TFieldDefs* defs = FieldDefs();
  if (defs == nullptr || defs->DataSet() == nullptr) return nullptr;
  return defs->DataSet()->GetFieldClass(dataType_);
}

TField* TFieldDef::CreateField(TComponent* owner) const {
  const TFieldClass fieldClass = FieldClass();
  if (fieldClass == nullptr) DatabaseError(Format(SUnknownFieldType, {name_}));
  TField* field = fieldClass(owner);
  try {
    field->SetFieldName(name_);
    field->SetRequired(required_);
    if (IsBlobFieldType(dataType_) || dataType_ == ftString || dataType_ == ftWideString) {
      field->SetSize(size_);
    }
    if (internalCalcField_) field->SetFieldKind(fkInternalCalc);
    field->SetDataSet(FieldDefs()->DataSet());
  } catch (...) {
    delete field;
    throw;
  }
  return field;
}

TFieldDefs::TFieldDefs(TDataSet* dataSet)
    : TCollection(dataSet, [] { return std::make_unique<TFieldDef>(); }), dataSet_(dataSet) {}

TFieldDef& TFieldDefs::Add(const std::string& name, TFieldType dataType, int32_t size,
                           bool required) {
  return AddFieldDef(std::make_unique<TFieldDef>(name, dataType, size, required, Count() + 1));
}

void TFieldDefs::CheckNewName(const std::string& name) const {
  if (name.empty()) DatabaseError(SFieldNameMissing, dataSet_);
  if (IndexOf(name) >= 0) DatabaseError(Format(SDuplicateName, {name, ClassName()}), dataSet_);
}

int TFieldDefs::IndexOf(std::string_view name) const {
  for (int i = 0; i < Count(); ++i) {
    if (SameText((*this)[i].Name(), name)) return i;
  }
  return -1;
}

TFieldDef& TFieldDefs::Find(std::string_view name) const {
  const int index = IndexOf(name);
  if (index < 0) DatabaseError(Format(SFieldNotFound, {name}), dataSet_);
  return (*this)[index];
}

void TFieldDefs::Update() {
  if (!updated_ && dataSet_ != nullptr) dataSet_->InitFieldDefs();
}

void TFieldDefs::Update(TCollectionItem*) { updated_ = false; }
