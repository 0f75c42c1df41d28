#pragma once
// TKRFieldDef: a table's field definition with what the Database API says
// about the field: its description (a copy of the API's record, or one of
// the markers below), its API type, its access in the actual plan and in
// other plans, the value list of an enumerated field, and where its value
// lies in a record buffer.
//
// Markers stand in for a description where the API has none:
// kKRIdentifierField (-1) the record-ID field "id", kKRCountField (-2) the
// count pseudo-field of a path ending in "Count()", kKRUserDefinedField (-3)
// a user-defined field, kKRUndescribedField (-4) a persistent field that
// the class does not describe.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "objectmodel/KRDataSet_CO_Session_Interface.h"
#include "platform/vcl/FieldDefs.h"

inline const KSFieldDescription* const kKRUserDefinedField =
    reinterpret_cast<const KSFieldDescription*>(intptr_t(-3));
inline const KSFieldDescription* const kKRUndescribedField =
    reinterpret_cast<const KSFieldDescription*>(intptr_t(-4));

// The definition numbered `fieldNo` (from 1): null for a number below 1 or
// a definition of the framework's own class; EKRDatabaseError "Invalid field
// number" past the last one, "Field does not match definition" when the
// definition at that place carries another number.
class TKRFieldDef;
TKRFieldDef* KRGetFieldDef(TFieldDefs& defs, int32_t fieldNo);

// The component name of a table's field: the table's name and the field's
// path, with "." turned into "_" and "()", "[", "]" and "-" left out.
std::string KRFieldComponentName(const std::string& tableName, const std::string& fieldName);

// Whether `name` is a virtual (indirect) field path: one that contains a
// "." outside a leading "[...]." qualifier. Virtual fields are read-only.
bool KRIsVirtualFieldName(std::string_view name);

class TKRFieldDef : public TFieldDef {
 public:
  TKRFieldDef() = default;
  TKRFieldDef(std::string name, TFieldType dataType, int32_t size, bool required,
              int32_t fieldNo)
      : TFieldDef(std::move(name), dataType, size, required, fieldNo) {}

  std::string_view ClassName() const override { return "TKRFieldDef"; }
  // Copies the API part too when `source` is a TKRFieldDef.
  void Assign(const TPersistent& source) override;

  // The description: a pointer to this definition's own copy of the API's
  // record (so it outlives the session's answer), or a marker.
  const KSFieldDescription* Description() const { return FDescription; }
  // Keeps a copy of a real description; a marker is kept as it is.
  void SetDescription(const KSFieldDescription* description);

  // Where the field's value starts in a record buffer (its leading
  // presence byte); 0 for blob-like fields, which take no space there.
  int32_t BufferOffset() const { return FBufferOffset; }
  void SetBufferOffset(int32_t offset) { FBufferOffset = offset; }
  // The field has no API description of its own ("id", or undescribed).
  bool NoDescription() const { return FNoDescription; }
  void SetNoDescription(bool value) { FNoDescription = value; }
  bool UserDefined() const { return FUserDefined; }
  void SetUserDefined(bool value) { FUserDefined = value; }
  int32_t APIFieldType() const { return FAPIFieldType; }
  void SetAPIFieldType(int32_t type) { FAPIFieldType = type; }
  int32_t ActualAccess() const { return FActualAccess; }
  int32_t VersionAccess() const { return FVersionAccess; }
  void SetAccess(int32_t actual, int32_t version) {
    FActualAccess = actual;
    FVersionAccess = version;
  }
  // The value list of an enumerated field (API type 10); 0 otherwise.
  int32_t ValueListID() const { return FValueListID; }
  void SetValueListID(int32_t id) { FValueListID = id; }

  // The access in the actual plan, or in other plans (KS_ACCESS_*).
  int32_t GetAccess(bool inActualPlan) const {
    return inActualPlan ? FActualAccess : FVersionAccess;
  }
  bool GetVisible(bool inActualPlan) const {
    return GetAccess(inActualPlan) != KS_ACCESS_INVISIBLE;
  }
  bool GetReadOnly(bool inActualPlan) const {
    return GetVirtualField() || GetAccess(inActualPlan) == KS_ACCESS_READ_ONLY;
  }
  bool GetVirtualField() const { return KRIsVirtualFieldName(Name()); }

 private:
  const KSFieldDescription* FDescription = nullptr;
  // The copy FDescription points to for a real description, with the
  // texts it refers to.
  KSFieldDescription FDescriptionCopy{};
  std::u16string FDescriptionName;
  std::u16string FReferencedClass;
  std::u16string FOwnerClass;
  int32_t FBufferOffset = 0;
  bool FNoDescription = false;
  bool FUserDefined = false;
  int32_t FAPIFieldType = 0;
  int32_t FActualAccess = KS_ACCESS_READ_WRITE;
  int32_t FVersionAccess = KS_ACCESS_READ_WRITE;
  int32_t FValueListID = 0;
};
