#pragma once
// TFieldDef and TFieldDefs: the structure of a data set's records, one
// definition per field of the source, numbered from 1. A data set fills its
// definitions in InternalInitFieldDefs; default fields are made from them,
// persistent fields are bound to them by name when the data set opens.
// A data set class may keep more per field in a class derived from
// TFieldDef, added with AddFieldDef.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/vcl/Collection.h"
#include "platform/vcl/Field.h"

class TFieldDefs;

class TFieldDef : public TCollectionItem {
 public:
  TFieldDef() = default;
  TFieldDef(std::string name, TFieldType dataType, int32_t size, bool required, int32_t fieldNo);

  std::string_view ClassName() const override { return "TFieldDef"; }
  void Assign(const TPersistent& source) override;

  TFieldDefs* FieldDefs() const;
  const std::string& Name() const { return name_; }
  // The name must be unique among the definitions (EDatabaseError).
  void SetName(const std::string& name);
  TFieldType DataType() const { return dataType_; }
  void SetDataType(TFieldType type) { dataType_ = type; }
  // The length of a string field; 0 for the others.
  int32_t Size() const { return size_; }
  void SetSize(int32_t size) { size_ = size; }
  bool Required() const { return required_; }
  void SetRequired(bool value) { required_ = value; }
  int32_t FieldNo() const { return fieldNo_; }
  void SetFieldNo(int32_t number) { fieldNo_ = number; }
  int32_t Precision() const { return precision_; }
  void SetPrecision(int32_t precision) { precision_ = precision; }
  bool InternalCalcField() const { return internalCalcField_; }
  void SetInternalCalcField(bool value) { internalCalcField_ = value; }

  // The field class the data set chooses for this definition's data type.
  TFieldClass FieldClass() const;
  // Makes a field of that class for `owner`, named after this definition,
  // with its size and required flag, in the data set of these definitions.
  // EDatabaseError "Field '<name>' is of an unknown type" without a class.
  TField* CreateField(TComponent* owner) const;

 protected:
  std::string GetDisplayName() const override { return name_; }

 private:
  std::string name_;
  TFieldType dataType_ = ftUnknown;
  int32_t size_ = 0;
  bool required_ = false;
  int32_t fieldNo_ = 0;
  int32_t precision_ = 0;
  bool internalCalcField_ = false;
};

class TFieldDefs : public TCollection {
 public:
  explicit TFieldDefs(TDataSet* dataSet);

  std::string_view ClassName() const override { return "TFieldDefs"; }
  TDataSet* DataSet() const { return dataSet_; }
  TFieldDef& operator[](int index) const { return ItemAs<TFieldDef>(index); }

  // Adds a definition numbered Count() + 1.
  TFieldDef& Add(const std::string& name, TFieldType dataType, int32_t size = 0,
                 bool required = false);
  // Adds a definition made by the caller (of a class derived from TFieldDef).
  template <class T>
  T& AddFieldDef(std::unique_ptr<T> def) {
    CheckNewName(def->Name());
    return static_cast<T&>(AddItem(std::move(def)));
  }
  // -1 when no definition has that name (without regard to ASCII case).
  int IndexOf(std::string_view name) const;
  // EDatabaseError "Field '<name>' not found" when there is none.
  TFieldDef& Find(std::string_view name) const;

  // Whether the definitions reflect the source; any change clears it.
  bool Updated() const { return updated_; }
  void SetUpdated(bool value) { updated_ = value; }
  // Reads the structure from the data set when it is not up to date.
  void Update();

 protected:
  void Update(TCollectionItem* item) override;

 private:
  friend class TFieldDef;
  void CheckNewName(const std::string& name) const;

  TDataSet* dataSet_;
  bool updated_ = false;
};
