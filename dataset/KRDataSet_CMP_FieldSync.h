#pragma once
// What opening and closing a table does to its persistent fields, given each
// field's definition.
//
// KRSynchronizeField brings a persistent data field in line with its
// definition: an API string field (not user-defined) takes the described
// length when that is not 0; a virtual field that is required and writable
// stops being required; an unsigned integer field (API types 7 and 8) with
// no range of its own gets 0 .. 2147483647; with `syncRequired` a field
// whose definition is required becomes required.
//
// KRApplyFieldAccess runs when the table opens: a duration field's non-zero
// Tag becomes its definition's Precision (the decimals it is shown with);
// the Tag then keeps the field's Visible (bit 0) and ReadOnly (bit 1). At run
// time the access in the plan `inActualPlan` is applied on top: invisible
// makes the field invisible and read-only, read-only makes a non-virtual
// field read-only. KRRestoreFieldAccess undoes it when the table closes:
// Visible and ReadOnly come back from the Tag, which becomes the duration
// field's Precision again (0 for other fields).

#include "dataset/KRDataSet_CMP_FieldDef.h"
#include "platform/vcl/Field.h"

inline constexpr int64_t kKRMaxUnsignedValue = 2147483647;

void KRSynchronizeField(TField& field, const TKRFieldDef& def, bool syncRequired);
void KRApplyFieldAccess(TField& field, TKRFieldDef* def, bool inActualPlan, bool designing);
void KRRestoreFieldAccess(TField& field, const TKRFieldDef* def);
