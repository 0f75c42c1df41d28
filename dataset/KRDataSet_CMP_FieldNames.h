#pragma once
// The field lists of a table: DistinctFields (TKRFieldNames of TKRFieldName)
// and SortFields (TKRSortFields of TKRSortField). Each item names one field
// of the table by path ("name", "customerP.name"); a sort field adds its
// direction. The cursor applies them in collection order when it builds its
// API cursor: KSAddSortField(sort, name, descending) for each sort field,
// KSAddDistinctField(sort, name) for each distinct field.
//
// Both are kept in the component stream as collections whose items store
// "FieldName" and, for sort fields, "SortOrder" (when descending). Changing
// an item's name or order reports the change to its collection.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/vcl/Collection.h"

enum TKRAPISortOrder : int32_t { krapisoAscending = 0, krapisoDescending = 1 };

class TKRFieldName : public TCollectionItem {
 public:
  std::string_view ClassName() const override { return "TKRFieldName"; }
  // Copies the field name from another TKRFieldName (a sort field too).
  void Assign(const TPersistent& source) override;
  void GetPublishedProperties(TPublishedProperties& properties) override;

  const std::string& FieldName() const { return FFieldName; }
  void SetFieldName(const std::string& value);
  // Same class and same name (and, for sort fields, same order).
  virtual bool Equals(const TKRFieldName& other) const;

 protected:
  // The field name.
  std::string GetDisplayName() const override;

 private:
  std::string FFieldName;
};

class TKRSortField : public TKRFieldName {
 public:
  std::string_view ClassName() const override { return "TKRSortField"; }
  // Copies the name, and the order from another sort field.
  void Assign(const TPersistent& source) override;
  void GetPublishedProperties(TPublishedProperties& properties) override;

  TKRAPISortOrder SortOrder() const { return FSortOrder; }
  void SetSortOrder(TKRAPISortOrder value);
  bool Descending() const { return FSortOrder == krapisoDescending; }
  bool Equals(const TKRFieldName& other) const override;

 protected:
  // The field name, followed by " (desc)" when descending.
  std::string GetDisplayName() const override;

 private:
  TKRAPISortOrder FSortOrder = krapisoAscending;
};

// The distinct fields of a table (`owner`).
class TKRFieldNames : public TCollection {
 public:
  explicit TKRFieldNames(TPersistent* owner);

  std::string_view ClassName() const override { return "TKRFieldNames"; }
  // Item i (EListError outside 0..Count-1).
  TKRFieldName& FieldNameItem(int index) const { return ItemAs<TKRFieldName>(index); }
  const std::string& GetFieldName(int index) const { return FieldNameItem(index).FieldName(); }
  // Appends an item naming `fieldName`.
  TKRFieldName& AddFieldName(const std::string& fieldName);
  // Same number of items, equal one by one (in order).
  bool Equals(const TKRFieldNames& other) const;

 protected:
  TKRFieldNames(TPersistent* owner, ItemFactory factory);
};

// The sort fields of a table (`owner`).
class TKRSortFields : public TKRFieldNames {
 public:
  explicit TKRSortFields(TPersistent* owner);

  std::string_view ClassName() const override { return "TKRSortFields"; }
  TKRSortField& SortField(int index) const { return ItemAs<TKRSortField>(index); }
  TKRSortField& AddSortField(const std::string& fieldName, TKRAPISortOrder order);
};
