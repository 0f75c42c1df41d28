#include "platform/com/Variant.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "platform/text/DateTimeText.h"
#include "platform/text/FormatSettings.h"
#include "platform/text/Locale.h"
#include "platform/text/SysUtils.h"
#include "platform/text/Utf.h"

struct OleVariant::ArrayData {
  int32_t low = 0;
  std::vector<OleVariant> items;
};

OleVariant::ArrayBox::ArrayBox(std::unique_ptr<ArrayData> data) : data_(std::move(data)) {}
OleVariant::ArrayBox::ArrayBox(const ArrayBox& other)
    : data_(other.data_ ? std::make_unique<ArrayData>(*other.data_) : nullptr) {}
OleVariant::ArrayBox::ArrayBox(ArrayBox&& other) noexcept = default;
OleVariant::ArrayBox& OleVariant::ArrayBox::operator=(const ArrayBox& other) {
  if (this != &other) data_ = ArrayBox(other).data_;
  return *this;
}
OleVariant::ArrayBox& OleVariant::ArrayBox::operator=(ArrayBox&& other) noexcept = default;
OleVariant::ArrayBox::~ArrayBox() = default;

namespace {

// Text is read and written by the runtime's text functions (Trim,
// TryStrToInt64, TryStrToFloat, SameText, FloatToStr) under the process's
// FormatSettings(), so a variant reads and shows numbers as the rest of the
// program does.

// The trimmed text as a number: an integer (decimal, or hexadecimal after
// '$', "0x" or "x") or else a floating-point number.
bool ParseText(const std::u16string& text, double& out) {
  const std::string s = Trim(Utf16ToUtf8(text));
  int64_t whole = 0;
  if (TryStrToInt64(s, whole)) {
    out = static_cast<double>(whole);
    return true;
  }
  return TryStrToFloat(s, out);
}

// Currency text: the whole units and at most four decimals, trailing zeros
// dropped. Unlike the runtime's float formatting this works on the scaled
// integer itself, so that no currency value loses digits to a double.
std::string CurrencyToText(int64_t scaled) {
  const bool negative = scaled < 0;
  const uint64_t magnitude =
      negative ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  std::string out = (negative ? "-" : "") + std::to_string(magnitude / 10000);
  std::string fraction = std::to_string(magnitude % 10000 + 10000).substr(1);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) out += FormatSettings().DecimalSeparator + fraction;
  return out;
}

// A double rounded half to even, if it lies within [low, high].
bool RoundInto(double value, int64_t low, int64_t high, int64_t& out) {
  if (std::isnan(value)) return false;
  const double r = std::nearbyint(value);
  // -2^63 and 2^63 are exact doubles: the first and the first-beyond of int64.
  if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) return false;
  const auto n = static_cast<int64_t>(r);
  if (n < low || n > high) return false;
  out = n;
  return true;
}

// A currency value in whole units, rounded half to even.
int64_t CurrencyUnits(int64_t scaled) {
  int64_t units = scaled / 10000;
  const int64_t rest = scaled % 10000;
  const int64_t magnitude = rest < 0 ? -rest : rest;
  if (magnitude > 5000 || (magnitude == 5000 && units % 2 != 0)) units += rest < 0 ? -1 : 1;
  return units;
}

const char* kTypeNames[] = {"Empty",    "Null",     "Smallint", "Integer",  "Single",   "Double",
                            "Currency", "Date",     "OleStr",   "Dispatch", "Error",    "Boolean",
                            "Variant",  "Unknown",  "Decimal",  nullptr,    "ShortInt", "Byte",
                            "Word",     "LongWord", "Int64",    "UInt64"};

}  // namespace

std::string VarTypeAsText(VARTYPE vt) {
  std::string name;
  if ((vt & VT_BYREF) != 0) name += "ByRef ";
  if ((vt & VT_ARRAY) != 0) name += "Array ";
  const VARTYPE base = vt & VT_TYPEMASK;
  if (base < std::size(kTypeNames) && kTypeNames[base] != nullptr) {
    name += kTypeNames[base];
  } else {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "$%04X", static_cast<unsigned>(base));
    name += buffer;
  }
  return name;
}

OleVariant::OleVariant(OleVariant&& other) noexcept
    : vt_(std::exchange(other.vt_, VT_EMPTY)),
      value_(std::exchange(other.value_, std::monostate{})) {}

OleVariant& OleVariant::operator=(OleVariant&& other) noexcept {
  if (this != &other) {
    vt_ = std::exchange(other.vt_, VT_EMPTY);
    value_ = std::exchange(other.value_, std::monostate{});
  }
  return *this;
}

OleVariant OleVariant::Null() { return OleVariant(VT_NULL, std::monostate{}); }

OleVariant OleVariant::FromCurrency(int64_t scaledBy10000) {
  return OleVariant(VT_CY, scaledBy10000);
}

OleVariant OleVariant::FromDate(double dayCount) { return OleVariant(VT_DATE, dayCount); }

OleVariant OleVariant::FromError(SCODE code) { return OleVariant(VT_ERROR, int64_t{code}); }

OleVariant OleVariant::Array(int32_t low, int32_t high) {
  const int64_t count = int64_t{high} - low + 1;
  if (count < 0 || count > kMaxArrayElements) {
    throw EVariantArrayCreateError("Error creating variant or safe array");
  }
  auto data = std::make_unique<ArrayData>();
  data->low = low;
  data->items.resize(static_cast<size_t>(count));
  return OleVariant(VT_ARRAY | VT_VARIANT, ArrayBox(std::move(data)));
}

OleVariant OleVariant::ArrayOf(std::vector<OleVariant> values, int32_t low) {
  const auto count = static_cast<int64_t>(values.size());
  if (count > kMaxArrayElements || int64_t{low} + count - 1 > INT32_MAX) {
    throw EVariantArrayCreateError("Error creating variant or safe array");
  }
  auto data = std::make_unique<ArrayData>();
  data->low = low;
  data->items = std::move(values);
  return OleVariant(VT_ARRAY | VT_VARIANT, ArrayBox(std::move(data)));
}

OleVariant OleVariant::ByRef(OleVariant& target) {
  return OleVariant(VT_BYREF | VT_VARIANT, &target.Deref());
}

void OleVariant::Assign(const OleVariant& value) {
  OleVariant copy = value.Deref();
  Deref() = std::move(copy);
}

void OleVariant::CastError(VARTYPE target) const {
  throw EVariantTypeCastError("Could not convert variant of type (" + VarTypeAsText(Deref().vt_) +
                              ") into type (" + VarTypeAsText(target) + ")");
}

void OleVariant::OverflowError(VARTYPE target) const {
  throw EVariantOverflowError("Overflow while converting variant of type (" +
                              VarTypeAsText(Deref().vt_) + ") into type (" + VarTypeAsText(target) +
                              ")");
}

int64_t OleVariant::ToIntegral(VARTYPE target, int64_t low, int64_t high) const {
  const OleVariant& v = Deref();
  int64_t result = 0;
  switch (v.vt_) {
    case VT_EMPTY:
      return 0;
    case VT_I2:
    case VT_I4:
    case VT_I8:
      result = std::get<int64_t>(v.value_);
      break;
    case VT_BOOL:
      return std::get<int64_t>(v.value_) != 0 ? -1 : 0;
    case VT_CY:
      result = CurrencyUnits(std::get<int64_t>(v.value_));
      break;
    case VT_R8:
    case VT_DATE:
      if (!RoundInto(std::get<double>(v.value_), low, high, result)) OverflowError(target);
      return result;
    case VT_BSTR: {
      const std::string s = Trim(Utf16ToUtf8(std::get<std::u16string>(v.value_)));
      double number = 0;
      if (TryStrToInt64(s, result)) break;
      if (!TryStrToFloat(s, number)) CastError(target);
      if (!RoundInto(number, low, high, result)) OverflowError(target);
      return result;
    }
    default:
      CastError(target);
  }
  if (result < low || result > high) OverflowError(target);
  return result;
}

int32_t OleVariant::AsInteger() const {
  return static_cast<int32_t>(ToIntegral(VT_I4, INT32_MIN, INT32_MAX));
}

int64_t OleVariant::AsInt64() const { return ToIntegral(VT_I8, INT64_MIN, INT64_MAX); }

bool OleVariant::AsBool() const {
  const OleVariant& v = Deref();
  switch (v.vt_) {
    case VT_EMPTY:
      return false;
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_BOOL:
    case VT_CY:
      return std::get<int64_t>(v.value_) != 0;
    case VT_R8:
    case VT_DATE:
      return std::get<double>(v.value_) != 0;
    case VT_BSTR: {
      const std::string s = Trim(Utf16ToUtf8(std::get<std::u16string>(v.value_)));
      if (SameText(s, "true")) return true;
      if (SameText(s, "false")) return false;
      double number = 0;
      if (!ParseText(std::get<std::u16string>(v.value_), number)) CastError(VT_BOOL);
      return number != 0;
    }
    default:
      CastError(VT_BOOL);
  }
}

double OleVariant::ToDouble(VARTYPE target) const {
  const OleVariant& v = Deref();
  switch (v.vt_) {
    case VT_EMPTY:
      return 0;
    case VT_I2:
    case VT_I4:
    case VT_I8:
      return static_cast<double>(std::get<int64_t>(v.value_));
    case VT_BOOL:
      return std::get<int64_t>(v.value_) != 0 ? -1.0 : 0.0;
    case VT_CY:
      return static_cast<double>(std::get<int64_t>(v.value_)) / 10000.0;
    case VT_R8:
    case VT_DATE:
      return std::get<double>(v.value_);
    case VT_BSTR: {
      double number = 0;
      if (!ParseText(std::get<std::u16string>(v.value_), number)) CastError(target);
      return number;
    }
    default:
      CastError(target);
  }
}

double OleVariant::AsDouble() const { return ToDouble(VT_R8); }

int64_t OleVariant::AsCurrency() const {
  const OleVariant& v = Deref();
  switch (v.vt_) {
    case VT_CY:
      return std::get<int64_t>(v.value_);
    case VT_I2:
    case VT_I4:
    case VT_I8: {
      const int64_t units = std::get<int64_t>(v.value_);
      if (units > INT64_MAX / 10000 || units < INT64_MIN / 10000) OverflowError(VT_CY);
      return units * 10000;
    }
    default: {
      int64_t scaled = 0;
      if (!RoundInto(ToDouble(VT_CY) * 10000.0, INT64_MIN, INT64_MAX, scaled)) {
        OverflowError(VT_CY);
      }
      return scaled;
    }
  }
}

double OleVariant::AsDate() const {
  const OleVariant& v = Deref();
  if (v.vt_ != VT_BSTR) return ToDouble(VT_DATE);
  TDateTime date = 0;
  if (!TryStrToDateTime(Trim(Utf16ToUtf8(std::get<std::u16string>(v.value_))), date)) {
    CastError(VT_DATE);
  }
  return date;
}

std::u16string OleVariant::AsString() const {
  const OleVariant& v = Deref();
  switch (v.vt_) {
    case VT_EMPTY:
      return {};
    case VT_I2:
    case VT_I4:
    case VT_I8:
      return Utf8ToUtf16(std::to_string(std::get<int64_t>(v.value_)));
    case VT_BOOL:
      return std::get<int64_t>(v.value_) != 0 ? u"True" : u"False";
    case VT_CY:
      return Utf8ToUtf16(CurrencyToText(std::get<int64_t>(v.value_)));
    case VT_R8:
      return Utf8ToUtf16(FloatToStr(std::get<double>(v.value_)));
    case VT_DATE:
      return Utf8ToUtf16(DateTimeToStr(std::get<double>(v.value_)));
    case VT_BSTR:
      return std::get<std::u16string>(v.value_);
    default:
      CastError(VT_BSTR);
  }
}

ComPtr<IUnknown> OleVariant::AsUnknown() const {
  const OleVariant& v = Deref();
  if (v.vt_ == VT_EMPTY) return nullptr;
  if (v.vt_ != VT_UNKNOWN) CastError(VT_UNKNOWN);
  return std::get<ComPtr<IUnknown>>(v.value_);
}

SCODE OleVariant::AsError() const {
  const OleVariant& v = Deref();
  if (v.vt_ != VT_ERROR) CastError(VT_ERROR);
  return static_cast<SCODE>(std::get<int64_t>(v.value_));
}

OleVariant::ArrayData& OleVariant::Elements() const {
  const OleVariant& v = Deref();
  if (!std::holds_alternative<ArrayBox>(v.value_)) throw EVariantError("Variant is not an array");
  return *std::get<ArrayBox>(v.value_);
}

int32_t OleVariant::LowBound() const { return Elements().low; }

int32_t OleVariant::HighBound() const {
  const ArrayData& data = Elements();
  return static_cast<int32_t>(int64_t{data.low} + static_cast<int64_t>(data.items.size()) - 1);
}

int32_t OleVariant::ElementCount() const { return static_cast<int32_t>(Elements().items.size()); }

OleVariant& OleVariant::operator[](int32_t index) {
  return const_cast<OleVariant&>(std::as_const(*this)[index]);
}

const OleVariant& OleVariant::operator[](int32_t index) const {
  ArrayData& data = Elements();
  const int64_t offset = int64_t{index} - data.low;
  if (offset < 0 || offset >= static_cast<int64_t>(data.items.size())) {
    throw EVariantBoundsError("Variant or safe array index out of bounds");
  }
  return data.items[static_cast<size_t>(offset)];
}

void OleVariant::Redim(int32_t high) {
  ArrayData& data = Elements();
  const int64_t count = int64_t{high} - data.low + 1;
  if (count < 0 || count > kMaxArrayElements) {
    throw EVariantArrayCreateError("Error creating variant or safe array");
  }
  data.items.resize(static_cast<size_t>(count));
}

std::u16string VarToWideStr(const OleVariant& value) {
  return value.IsNull() ? std::u16string() : value.AsString();
}

std::string VarToStr(const OleVariant& value) { return Utf16ToUtf8(VarToWideStr(value)); }
