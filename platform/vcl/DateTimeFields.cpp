#include "platform/vcl/DateTimeFields.h"

#include "platform/text/DateTimeText.h"
#include "platform/text/FormatSettings.h"
#include "platform/vcl/ClassRegistry.h"
#include "platform/vcl/PublishedProperties.h"

namespace {
[[maybe_unused]] const bool kDateTimeFieldsRegistered = [] {
  RegisterComponentClass<TDateTimeField>("TDateTimeField");
  RegisterComponentClass<TDateField>("TDateField");
  RegisterComponentClass<TTimeField>("TTimeField");
  return true;
}();
}  // namespace

TDateTimeField::TDateTimeField(TComponent* owner) : TField(owner) { SetDataType(ftDateTime); }

void TDateTimeField::GetPublishedProperties(TPublishedProperties& properties) {
  TField::GetPublishedProperties(properties);
  properties.AddString(
      "DisplayFormat", [this] { return displayFormat_; },
      [this](std::string value) { SetDisplayFormat(value); });
}

TDateTime TDateTimeField::GetAsDateTime() const {
  TDateTime value = 0;
  return GetData(&value, false) ? value : 0;
}

void TDateTimeField::SetAsDateTime(TDateTime value) { SetData(&value, false); }

std::string TDateTimeField::GetAsString() const {
  std::string text;
  GetText(text, false);
  return text;
}

void TDateTimeField::SetAsString(const std::string& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  switch (DataType()) {
    case ftDate: SetAsDateTime(StrToDate(value)); break;
    case ftTime: SetAsDateTime(StrToTime(value)); break;
    default: SetAsDateTime(StrToDateTime(value)); break;
  }
}

OleVariant TDateTimeField::GetAsVariant() const {
  TDateTime value = 0;
  if (!GetData(&value, false)) return OleVariant::Null();
  return OleVariant::FromDate(value);
}

void TDateTimeField::SetVarValue(const OleVariant& value) { SetAsDateTime(value.AsDate()); }

void TDateTimeField::GetText(std::string& text, bool displayText) const {
  TDateTime value = 0;
  if (!GetData(&value, false)) {
    text.clear();
    return;
  }
  std::string format;
  if (displayText && !displayFormat_.empty()) {
    format = displayFormat_;
  } else if (DataType() == ftDate) {
    format = FormatSettings().ShortDateFormat;
  } else if (DataType() == ftTime) {
    format = FormatSettings().LongTimeFormat;
  } else {
    format = "c";
  }
  text = FormatDateTime(format, value);
}

TDateField::TDateField(TComponent* owner) : TDateTimeField(owner) { SetDataType(ftDate); }

TTimeField::TTimeField(TComponent* owner) : TDateTimeField(owner) { SetDataType(ftTime); }
