#include "platform/vcl/NumericFields.h"

#include <algorithm>
#include <cmath>

#include "platform/text/DateTime.h"
#include "platform/text/SysUtils.h"
#include "platform/vcl/ClassRegistry.h"
#include "platform/vcl/DBConsts.h"
#include "platform/vcl/PublishedProperties.h"

namespace {

[[maybe_unused]] const bool kNumericFieldsRegistered = [] {
  RegisterComponentClass<TIntegerField>("TIntegerField");
  RegisterComponentClass<TSmallintField>("TSmallintField");
  RegisterComponentClass<TLargeintField>("TLargeintField");
  RegisterComponentClass<TFloatField>("TFloatField");
  RegisterComponentClass<TCurrencyField>("TCurrencyField");
  return true;
}();

[[noreturn]] void RangeError(const TField& field, const std::string& value, const std::string& low,
                             const std::string& high) {
  DatabaseError(Format(SFieldRangeError, {value, field.DisplayName(), low, high}));
}

}  // namespace

TNumericField::TNumericField(TComponent* owner) : TField(owner) { SetAlignment(taRightJustify); }

void TNumericField::GetPublishedProperties(TPublishedProperties& properties) {
  TField::GetPublishedProperties(properties);
  properties.AddString(
      "DisplayFormat", [this] { return displayFormat_; },
      [this](std::string value) { SetDisplayFormat(value); });
  properties.AddString(
      "EditFormat", [this] { return editFormat_; }, [this](std::string value) { SetEditFormat(value); });
}

bool TNumericField::AcceptText(const std::string& text, bool parsed, const char* message) {
  if (text.empty()) {
    Clear();
    return false;
  }
  if (!parsed) DatabaseError(Format(message, {text, DisplayName()}));
  return true;
}

int32_t TNumericField::GetAsInteger() const {
  const int64_t value = GetAsLargeInt();
  if (value < INT32_MIN || value > INT32_MAX) {
    RangeError(*this, IntToStr(value), IntToStr(INT32_MIN), IntToStr(INT32_MAX));
  }
  return static_cast<int32_t>(value);
}

const std::string& TNumericField::FormatFor(bool displayText) const {
  return displayText || editFormat_.empty() ? displayFormat_ : editFormat_;
}

// --- Integers ---------------------------------------------------------------

TIntegerField::TIntegerField(TComponent* owner) : TNumericField(owner) { SetDataType(ftInteger); }

void TIntegerField::GetPublishedProperties(TPublishedProperties& properties) {
  TNumericField::GetPublishedProperties(properties);
  properties.AddInt64(
      "MaxValue", [this] { return maxValue_; }, [this](int64_t value) { maxValue_ = value; });
  properties.AddInt64(
      "MinValue", [this] { return minValue_; }, [this](int64_t value) { minValue_ = value; });
}

void TIntegerField::CheckRange(int64_t value) const {
  if (value < LowestValue() || value > HighestValue()) {
    RangeError(*this, IntToStr(value), IntToStr(LowestValue()), IntToStr(HighestValue()));
  }
  if ((minValue_ != 0 || maxValue_ != 0) && (value < minValue_ || value > maxValue_)) {
    RangeError(*this, IntToStr(value), IntToStr(minValue_), IntToStr(maxValue_));
  }
}

int64_t TIntegerField::GetAsLargeInt() const {
  int64_t value = 0;
  return ReadValue(value) ? value : 0;
}

void TIntegerField::SetAsLargeInt(int64_t value) {
  CheckRange(value);
  WriteValue(value);
}

double TIntegerField::GetAsFloat() const { return static_cast<double>(GetAsLargeInt()); }

void TIntegerField::SetAsFloat(double value) {
  if (!std::isfinite(value) || std::fabs(value) >= 9.2e18) {
    RangeError(*this, FloatToStr(value), IntToStr(LowestValue()), IntToStr(HighestValue()));
  }
  SetAsLargeInt(Round(value));
}

std::string TIntegerField::GetAsString() const {
  int64_t value = 0;
  return ReadValue(value) ? IntToStr(value) : std::string();
}

void TIntegerField::SetAsString(const std::string& value) {
  int64_t number = 0;
  if (AcceptText(value, TryStrToInt64(value, number), SInvalidIntegerValue)) SetAsLargeInt(number);
}

OleVariant TIntegerField::GetAsVariant() const {
  int64_t value = 0;
  if (!ReadValue(value)) return OleVariant::Null();
  return OleVariant(static_cast<int32_t>(value));
}

void TIntegerField::SetVarValue(const OleVariant& value) { SetAsLargeInt(value.AsInt64()); }

void TIntegerField::GetText(std::string& text, bool displayText) const {
  int64_t value = 0;
  if (!ReadValue(value)) {
    text.clear();
    return;
  }
  const std::string& format = FormatFor(displayText);
  text = format.empty() ? IntToStr(value) : FormatFloat(format, static_cast<double>(value));
}

OleVariant TLargeintField::GetAsVariant() const {
  int64_t value = 0;
  if (!ReadValue(value)) return OleVariant::Null();
  return OleVariant(value);
}

// --- Floats -------------------------------------------------------------------

TFloatField::TFloatField(TComponent* owner) : TNumericField(owner) { SetDataType(ftFloat); }

void TFloatField::GetPublishedProperties(TPublishedProperties& properties) {
  TNumericField::GetPublishedProperties(properties);
  properties.AddBoolean(
      "Currency", [this] { return currency_; }, [this](bool value) { SetCurrency(value); },
      DataType() == ftCurrency);
  properties.AddFloat(
      "MaxValue", [this] { return maxValue_; }, [this](double value) { maxValue_ = value; });
  properties.AddFloat(
      "MinValue", [this] { return minValue_; }, [this](double value) { minValue_ = value; });
  properties.AddInteger(
      "Precision", [this] { return precision_; }, [this](int32_t value) { SetPrecision(value); }, 15);
}

double TFloatField::GetAsFloat() const {
  double value = 0;
  return GetData(&value) ? value : 0;
}

void TFloatField::SetAsFloat(double value) {
  if ((minValue_ != 0 || maxValue_ != 0) && !(value >= minValue_ && value <= maxValue_)) {
    RangeError(*this, FloatToStr(value), FloatToStr(minValue_), FloatToStr(maxValue_));
  }
  SetData(&value);
}

int64_t TFloatField::GetAsLargeInt() const {
  const double value = GetAsFloat();
  if (!(std::fabs(value) < 9.2e18)) {
    RangeError(*this, FloatToStr(value), IntToStr(INT64_MIN), IntToStr(INT64_MAX));
  }
  return Round(value);
}

std::string TFloatField::GetAsString() const {
  double value = 0;
  return GetData(&value) ? FloatToStr(value) : std::string();
}

void TFloatField::SetAsString(const std::string& value) {
  double number = 0;
  if (AcceptText(value, TryStrToFloat(value, number), SInvalidFloatValue)) SetAsFloat(number);
}

OleVariant TFloatField::GetAsVariant() const {
  double value = 0;
  if (!GetData(&value)) return OleVariant::Null();
  return OleVariant(value);
}

void TFloatField::SetVarValue(const OleVariant& value) { SetAsFloat(value.AsDouble()); }

void TFloatField::GetText(std::string& text, bool displayText) const {
  double value = 0;
  if (!GetData(&value)) {
    text.clear();
    return;
  }
  const std::string& format = FormatFor(displayText);
  if (!format.empty()) {
    text = FormatFloat(format, value);
  } else if (currency_) {
    text = FloatToStrF(value, displayText ? ffCurrency : ffFixed, precision_,
                       FormatSettings().CurrencyDecimals);
  } else {
    text = FloatToStrF(value, ffGeneral, precision_, 0);
  }
}

TCurrencyField::TCurrencyField(TComponent* owner) : TFloatField(owner) {
  SetDataType(ftCurrency);
  SetCurrency(true);
}
