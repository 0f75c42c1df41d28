#include "dataset/KRDataSet_CMP_FieldNames.h"

#include <memory>

#include "platform/vcl/PublishedProperties.h"

namespace {

constexpr std::string_view kSortOrderNames[] = {"krapisoAscending", "krapisoDescending"};

}  // namespace

void TKRFieldName::Assign(const TPersistent& source) {
  if (const auto* other = dynamic_cast<const TKRFieldName*>(&source)) {
    SetFieldName(other->FFieldName);
    return;
  }
  TCollectionItem::Assign(source);
}

void TKRFieldName::GetPublishedProperties(TPublishedProperties& properties) {
  TCollectionItem::GetPublishedProperties(properties);
  properties.AddString("FieldName", [this] { return FFieldName; },
                       [this](std::string value) { SetFieldName(value); });
}

void TKRFieldName::SetFieldName(const std::string& value) {
  if (value == FFieldName) return;
  FFieldName = value;
  Changed(false);
}

bool TKRFieldName::Equals(const TKRFieldName& other) const {
  return ClassName() == other.ClassName() && FFieldName == other.FFieldName;
}

std::string TKRFieldName::GetDisplayName() const { return FFieldName; }

void TKRSortField::Assign(const TPersistent& source) {
  TKRFieldName::Assign(source);
  if (const auto* other = dynamic_cast<const TKRSortField*>(&source)) {
    SetSortOrder(other->FSortOrder);
  }
}

void TKRSortField::GetPublishedProperties(TPublishedProperties& properties) {
  TKRFieldName::GetPublishedProperties(properties);
  properties.AddEnumeration(
      "SortOrder", kSortOrderNames, [this] { return static_cast<int>(FSortOrder); },
      [this](int value) { SetSortOrder(static_cast<TKRAPISortOrder>(value)); }, krapisoAscending);
}

void TKRSortField::SetSortOrder(TKRAPISortOrder value) {
  if (value == FSortOrder) return;
  FSortOrder = value;
  Changed(false);
}

bool TKRSortField::Equals(const TKRFieldName& other) const {
  const auto* sortField = dynamic_cast<const TKRSortField*>(&other);
  return sortField != nullptr && TKRFieldName::Equals(other) && sortField->FSortOrder == FSortOrder;
}

std::string TKRSortField::GetDisplayName() const {
  return Descending() ? FieldName() + " (desc)" : FieldName();
}

TKRFieldNames::TKRFieldNames(TPersistent* owner)
    : TKRFieldNames(owner, [] { return std::make_unique<TKRFieldName>(); }) {}

TKRFieldNames::TKRFieldNames(TPersistent* owner, ItemFactory factory)
    : TCollection(owner, std::move(factory)) {}

TKRFieldName& TKRFieldNames::AddFieldName(const std::string& fieldName) {
  auto& item = static_cast<TKRFieldName&>(Add());
  item.SetFieldName(fieldName);
  return item;
}

bool TKRFieldNames::Equals(const TKRFieldNames& other) const {
  if (Count() != other.Count()) return false;
  for (int i = 0; i < Count(); ++i) {
    if (!FieldNameItem(i).Equals(other.FieldNameItem(i))) return false;
  }
  return true;
}

TKRSortFields::TKRSortFields(TPersistent* owner)
    : TKRFieldNames(owner, [] { return std::make_unique<TKRSortField>(); }) {}

TKRSortField& TKRSortFields::AddSortField(const std::string& fieldName, TKRAPISortOrder order) {
  auto& item = static_cast<TKRSortField&>(AddFieldName(fieldName));
  item.SetSortOrder(order);
  return item;
}
