#include "platform/vcl/Fields.h"

#include <algorithm>

#include "platform/text/Locale.h"
#include "platform/text/SysUtils.h"
#include "platform/vcl/DBConsts.h"
#include "platform/vcl/DataSet.h"
#include "platform/vcl/Field.h"

TField* TFields::operator[](int index) const {
  if (index < 0 || index >= Count()) ListIndexError(index);
  return list_[static_cast<size_t>(index)];
}

TField* TFields::FindField(std::string_view name) const {
  for (TField* field : list_) {
    if (SameText(field->FieldName(), name)) return field;
  }
  return nullptr;
}

TField* TFields::FieldByName(std::string_view name) const {
  TField* field = FindField(name);
  if (field == nullptr) DatabaseError(Format(SFieldNotFound, {name}), dataSet_);
  return field;
}

TField* TFields::FieldByNumber(int fieldNo) const {
  for (TField* field : list_) {
    if (field->FieldNo() == fieldNo) return field;
  }
  return nullptr;
}

int TFields::IndexOf(const TField* field) const {
  const auto found = std::find(list_.begin(), list_.end(), field);
  return found == list_.end() ? -1 : static_cast<int>(found - list_.begin());
}

void TFields::Add(TField* field) { list_.push_back(field); }

void TFields::Remove(TField* field) {
  list_.erase(std::remove(list_.begin(), list_.end(), field), list_.end());
}

void TFields::Move(TField* field, int index) {
  const int from = IndexOf(field);
  if (index < 0 || index >= Count()) ListIndexError(index);
  if (from < 0 || from == index) return;
  list_.erase(list_.begin() + from);
  list_.insert(list_.begin() + index, field);
}

void TFields::Clear() {
  while (!list_.empty()) {
    TField* field = list_.back();
    list_.pop_back();
    field->dataSet_ = nullptr;
    delete field;
  }
}
