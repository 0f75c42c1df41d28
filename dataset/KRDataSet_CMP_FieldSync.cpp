#include "dataset/KRDataSet_CMP_FieldSync.h"

#include "platform/vcl/NumericFields.h"

namespace {

inline constexpr intptr_t kTagVisible = 1;
inline constexpr intptr_t kTagReadOnly = 2;

bool IsDuration(const TKRFieldDef* def) {
  return def != nullptr && def->APIFieldType() == KS_TYPE_DURATION;
}

}  // namespace

void KRSynchronizeField(TField& field, const TKRFieldDef& def, bool syncRequired) {
  if (field.DataType() == ftString && def.APIFieldType() == KS_TYPE_STRING && !def.UserDefined() &&
      IsRealFieldDescription(def.Description())) {
    const int32_t length = def.Description()->length;
    if (length != 0 && length != field.Size()) field.SetSize(length);
  }
  if (KRIsVirtualFieldName(field.FieldName()) && field.Required() && !field.ReadOnly()) {
    field.SetRequired(false);
  }
  if (auto* integer = dynamic_cast<TIntegerField*>(&field);
      integer != nullptr &&
      (def.APIFieldType() == KS_TYPE_UNSIGNED || def.APIFieldType() == KS_TYPE_UNSIGNED2) &&
      integer->MinValue() == 0 && integer->MaxValue() == 0) {
    integer->SetMaxValue(kKRMaxUnsignedValue);
  }
  if (syncRequired && !field.Required() && def.Required()) field.SetRequired(true);
}

void KRApplyFieldAccess(TField& field, TKRFieldDef* def, bool inActualPlan, bool designing) {
  if (IsDuration(def) && field.Tag() != 0) def->SetPrecision(static_cast<int32_t>(field.Tag()));
  field.SetTag((field.Visible() ? kTagVisible : 0) | (field.ReadOnly() ? kTagReadOnly : 0));
  if (designing || def == nullptr) return;
  if (!def->GetVisible(inActualPlan)) {
    field.SetVisible(false);
    field.SetReadOnly(true);
  } else if (!def->GetVirtualField() && def->GetReadOnly(inActualPlan)) {
    field.SetReadOnly(true);
  }
}

void KRRestoreFieldAccess(TField& field, const TKRFieldDef* def) {
  field.SetVisible((field.Tag() & kTagVisible) != 0);
  field.SetReadOnly((field.Tag() & kTagReadOnly) != 0);
  field.SetTag(IsDuration(def) ? def->Precision() : 0);
}
