#include "dataset/KRDataSet_CMP_FieldDef.h"

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

std::u16string TextOf(const char16_t* text) { return text != nullptr ? std::u16string(text) : std::u16string(); }

}  // namespace

void TKRFieldDef::SetDescription(const KSFieldDescription* description) {
  if (!IsRealFieldDescription(description) || description == kKRUserDefinedField ||
      description == kKRUndescribedField) {
    FDescription = description;
    return;
  }
  FDescriptionCopy = *description;
  FDescriptionName = TextOf(description->name);
  FReferencedClass = TextOf(description->referencedClass);
  FOwnerClass = TextOf(description->ownerClass);
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
