#include "platform/vcl/BooleanField.h"

#include "platform/text/Locale.h"
#include "platform/text/SysUtils.h"
#include "platform/vcl/ClassRegistry.h"
#include "platform/vcl/DBConsts.h"
#include "platform/vcl/PublishedProperties.h"

namespace {

[[maybe_unused]] const bool kBooleanFieldRegistered = [] {
  RegisterComponentClass<TBooleanField>("TBooleanField");
  return true;
}();

bool StartsWithText(const std::string& text, const std::string& prefix) {
  return prefix.size() <= text.size() && AnsiSameText(text.substr(0, prefix.size()), prefix);
}

}  // namespace

TBooleanField::TBooleanField(TComponent* owner) : TField(owner) { SetDataType(ftBoolean); }

void TBooleanField::GetPublishedProperties(TPublishedProperties& properties) {
  TField::GetPublishedProperties(properties);
  properties.AddString(
      "DisplayValues", [this] { return displayValues_; },
      [this](std::string value) { SetDisplayValues(value); });
}

void TBooleanField::SetDisplayValues(const std::string& values) {
  displayValues_ = values;
  if (values.empty()) {
    trueText_ = "True";
    falseText_ = "False";
  } else {
    const size_t separator = values.find(';');
    trueText_ = values.substr(0, separator);
    falseText_ = separator == std::string::npos ? std::string() : values.substr(separator + 1);
  }
  PropertyChanged(false);
}

bool TBooleanField::GetAsBoolean() const {
  int16_t value = 0;
  return GetData(&value) && value != 0;
}

void TBooleanField::SetAsBoolean(bool value) {
  const int16_t native = value ? -1 : 0;
  SetData(&native);
}

std::string TBooleanField::GetAsString() const {
  int16_t value = 0;
  if (!GetData(&value)) return std::string();
  return value != 0 ? trueText_ : falseText_;
}

void TBooleanField::SetAsString(const std::string& value) {
  if (value.empty()) {
    if (falseText_.empty()) {
      SetAsBoolean(false);
    } else if (trueText_.empty()) {
      SetAsBoolean(true);
    } else {
      Clear();
    }
    return;
  }
  if (StartsWithText(falseText_, value)) {
    SetAsBoolean(false);
  } else if (StartsWithText(trueText_, value)) {
    SetAsBoolean(true);
  } else {
    DatabaseError(Format(SInvalidBoolValue, {value, DisplayName()}));
  }
}

OleVariant TBooleanField::GetAsVariant() const {
  int16_t value = 0;
  if (!GetData(&value)) return OleVariant::Null();
  return OleVariant(value != 0);
}

void TBooleanField::SetVarValue(const OleVariant& value) { SetAsBoolean(value.AsBool()); }
