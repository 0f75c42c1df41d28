#pragma once
// The display and edit text hooks a table installs on its fields when it
// opens (on fields without OnGetText and OnSetText of their own). Every get
// hook shows a null field as empty text.
//
// - Date-time: a date field shows SysDateToDateStr, a time or date-time
//   field SysDateToStr; a text that is empty or only blanks clears the
//   field, any other is read by StrToSysDate (today by default).
// - Duration (seconds): shown by DurationToStr with `decimals` digits in the
//   largest fitting unit; an empty text clears, any other is read by
//   StrToDuration (seconds by default) and its whole seconds kept.
// - Enumerated: shows `textOf(value)`; no edit hook (the field is read-only).
// - Float: FloatToString with the field's precision as decimals, grouped by
//   thousands in the display text only; no edit hook.
// - Memo: the string value; an empty text clears, any other is stored.
// - Boolean display values: "True;False" from the string table when the
//   field has none.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/vcl/BooleanField.h"
#include "platform/vcl/Field.h"

void KRInstallDateTimeText(TField& field);
// `decimals` is asked each time, so that it follows the field's definition.
void KRInstallDurationText(TField& field, std::function<int32_t()> decimals);
void KRInstallEnumeratedText(TField& field, std::function<std::string(int32_t value)> textOf);
void KRInstallFloatText(TField& field);
void KRInstallMemoText(TField& field);
void KRSetBooleanDisplayValues(TBooleanField& field);
