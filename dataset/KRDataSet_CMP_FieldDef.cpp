#include "dataset/KRDataSet_CMP_FieldDef.h"

#include "dataset/KRDataSet_CMP_Errors.h"

TKRFieldDef* KRGetFieldDef(TFieldDefs& defs, int32_t fieldNo) {
  if (fieldNo < 1) return nullptr;
  if (fieldNo > defs.Count()) throw EKRDatabaseError("Invalid field number");
  TFieldDef& def = defs[fieldNo - 1];
  if (def.FieldNo() != fieldNo) throw EKRDatabaseError("Field does not match definition");
  return dynamic_cast<TKRFieldDef*>(&def);
}

std::string KRFieldComponentName(const std::string& tableName, const std::string& fieldName) {
  std::string name = tableName;
  for (size_t i = 0; i < fieldName.size(); ++i) {
    const char c = fieldName[i];
    if (c == '(' && i + 1 < fieldName.size() && fieldName[i + 1] == ')') {
      ++i;
    } else if (c == '.') {
      name += '_';
    } else if (c != '[' && c != ']' && c != '-') {
      name += c;
    }
  }
  return name;
}

bool KRIsVirtualFieldName(std::string_view name) {
  // A leading "[...]." qualifies the path that follows; only that path
  // decides. Qualifiers may nest, hence the loop.
  while (!name.empty() && name.front() == '[') {
    const size_t end = name.find("].");
    if (end == std::string_view::npos) return false;
    name.remove_prefix(end + 2);
  }
  return name.find('.') != std::string_view::npos;
}

namespace {

std::u16string TextOrEmpty(const char16_t* text) {
  return text != nullptr ? std::u16string(text) : std::u16string();
}

}  // namespace

void TKRFieldDef::SetDescription(const KSFieldDescription* description) {
  if (!IsRealFieldDescription(description) || description == kKRUserDefinedField ||
      description == kKRUndescribedField) {
    FDescription = description;
    return;
  }
  FDescriptionCopy = *description;
  FDescriptionName = TextOrEmpty(description->name);
  FReferencedClass = TextOrEmpty(description->referencedClass);
  FOwnerClass = TextOrEmpty(description->ownerClass);
  FDescriptionCopy.name = FDescriptionName.c_str();
  FDescriptionCopy.referencedClass =
      description->referencedClass != nullptr ? FReferencedClass.c_str() : nullptr;
  FDescriptionCopy.ownerClass = description->ownerClass != nullptr ? FOwnerClass.c_str() : nullptr;
  FDescription = &FDescriptionCopy;
}

void TKRFieldDef::Assign(const TPersistent& source) {
  TFieldDef::Assign(source);
  const auto* def = dynamic_cast<const TKRFieldDef*>(&source);
  if (def == nullptr) return;
  SetDescription(def->FDescription);
  FBufferOffset = def->FBufferOffset;
  FNoDescription = def->FNoDescription;
  FUserDefined = def->FUserDefined;
  FAPIFieldType = def->FAPIFieldType;
  FActualAccess = def->FActualAccess;
  FVersionAccess = def->FVersionAccess;
  FValueListID = def->FValueListID;
}
