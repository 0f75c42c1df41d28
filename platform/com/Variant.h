#pragma once
// OleVariant: a value of one of the automation types, tagged with its VT_
// code. It holds empty, null, 16/32/64-bit integers, bool, double, currency
// (an integer scaled by 10 000), date (a day-count double), wide text, an
// error code, a counted IUnknown reference, a one-dimensional array of
// variants with explicit bounds, or a reference to another variant.
//
// Copies are deep for arrays (as the platform copies variant arrays) and
// shallow for references: a by-reference variant copied still refers to the
// same target, so a handler given one can write back into the caller's
// variant with Assign. The target must outlive every variant referring to it
// (an array element's address lasts until the array is resized).
//
// The As* conversions read through references and follow the automation
// rules: empty converts to 0, false or empty text; null converts to nothing
// (EVariantTypeCastError); true is -1 as a number; doubles round half to even
// when an integer is asked for; text is read and written as the runtime's
// text functions do (trimmed; an integer, decimal or hexadecimal after '$',
// "0x" or "x", else a number with the locale's decimal separator; "true"
// and "false" in any case for bool; doubles shown as FloatToStr shows them,
// currency with at most four decimals); a value outside the target's range raises
// EVariantOverflowError; interfaces, arrays and error codes convert to
// nothing but themselves.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/com/HResult.h"
#include "platform/com/Types.h"
#include "platform/text/Exception.h"

using VARTYPE = uint16_t;
using VARIANT_BOOL = int16_t;

inline constexpr VARTYPE VT_EMPTY = 0;
inline constexpr VARTYPE VT_NULL = 1;
inline constexpr VARTYPE VT_I2 = 2;
inline constexpr VARTYPE VT_I4 = 3;
inline constexpr VARTYPE VT_R4 = 4;
inline constexpr VARTYPE VT_R8 = 5;
inline constexpr VARTYPE VT_CY = 6;
inline constexpr VARTYPE VT_DATE = 7;
inline constexpr VARTYPE VT_BSTR = 8;
inline constexpr VARTYPE VT_DISPATCH = 9;
inline constexpr VARTYPE VT_ERROR = 10;
inline constexpr VARTYPE VT_BOOL = 11;
inline constexpr VARTYPE VT_VARIANT = 12;
inline constexpr VARTYPE VT_UNKNOWN = 13;
inline constexpr VARTYPE VT_DECIMAL = 14;
inline constexpr VARTYPE VT_I1 = 16;
inline constexpr VARTYPE VT_UI1 = 17;
inline constexpr VARTYPE VT_UI2 = 18;
inline constexpr VARTYPE VT_UI4 = 19;
inline constexpr VARTYPE VT_I8 = 20;
inline constexpr VARTYPE VT_UI8 = 21;
inline constexpr VARTYPE VT_INT = 22;
inline constexpr VARTYPE VT_UINT = 23;
inline constexpr VARTYPE VT_VOID = 24;
inline constexpr VARTYPE VT_HRESULT = 25;
inline constexpr VARTYPE VT_PTR = 26;
inline constexpr VARTYPE VT_LPSTR = 30;
inline constexpr VARTYPE VT_LPWSTR = 31;
inline constexpr VARTYPE VT_VECTOR = 0x1000;
inline constexpr VARTYPE VT_ARRAY = 0x2000;
inline constexpr VARTYPE VT_BYREF = 0x4000;
inline constexpr VARTYPE VT_TYPEMASK = 0x0FFF;

inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

KR_DECLARE_EXCEPTION(EVariantError, Exception);
// A value that cannot become the type asked for.
KR_DECLARE_EXCEPTION(EVariantTypeCastError, EVariantError);
// A value outside the range of the type asked for.
KR_DECLARE_EXCEPTION(EVariantOverflowError, EVariantError);
// An array index outside the array's bounds.
KR_DECLARE_EXCEPTION(EVariantBoundsError, EVariantError);
// Array bounds that describe no array (high below low - 1, or too many elements).
KR_DECLARE_EXCEPTION(EVariantArrayCreateError, EVariantError);

class OleVariant {
 public:
  // The most elements one array holds.
  static constexpr int64_t kMaxArrayElements = int64_t{1} << 24;

  OleVariant() noexcept = default;
  OleVariant(const OleVariant&) = default;
  OleVariant& operator=(const OleVariant&) = default;
  // A variant moved from is empty.
  OleVariant(OleVariant&& other) noexcept;
  OleVariant& operator=(OleVariant&& other) noexcept;
  OleVariant(int16_t value) : vt_(VT_I2), value_(int64_t{value}) {}
  OleVariant(int32_t value) : vt_(VT_I4), value_(int64_t{value}) {}
  OleVariant(int64_t value) : vt_(VT_I8), value_(value) {}
  OleVariant(bool value) : vt_(VT_BOOL), value_(int64_t{value ? 1 : 0}) {}
  OleVariant(double value) : vt_(VT_R8), value_(value) {}
  OleVariant(std::u16string value) : vt_(VT_BSTR), value_(std::move(value)) {}
  OleVariant(std::u16string_view value) : vt_(VT_BSTR), value_(std::u16string(value)) {}
  // Null text is empty text.
  OleVariant(const char16_t* value)
      : vt_(VT_BSTR), value_(value ? std::u16string(value) : std::u16string()) {}
  // A counted reference to the object (null is allowed).
  template <class T>
  requires std::is_convertible_v<T*, IUnknown*> OleVariant(T* object)
      : vt_(VT_UNKNOWN), value_(ComPtr<IUnknown>(object)) {}
  template <class T>
  requires std::is_convertible_v<T*, IUnknown*> OleVariant(const ComPtr<T>& object)
      : OleVariant(object.Get()) {}
  // Narrow text and bare null pointers would silently become bool.
  OleVariant(const char*) = delete;
  OleVariant(std::nullptr_t) = delete;

  static OleVariant Null();
  static OleVariant FromCurrency(int64_t scaledBy10000);
  static OleVariant FromDate(double dayCount);
  static OleVariant FromError(SCODE code);
  // An array of empty variants indexed low..high (high = low - 1 is empty).
  static OleVariant Array(int32_t low, int32_t high);
  // An array of the given values, indexed from `low`.
  static OleVariant ArrayOf(std::vector<OleVariant> values, int32_t low = 0);
  // A reference to `target` (to its final target when it is a reference).
  static OleVariant ByRef(OleVariant& target);

  // The tag: the value's VT_ code, VT_ARRAY | VT_VARIANT for arrays and
  // VT_BYREF | VT_VARIANT for references.
  VARTYPE Type() const { return vt_; }
  // The tag of the value itself, read through a reference.
  VARTYPE ValueType() const { return Deref().vt_; }
  bool IsEmpty() const { return ValueType() == VT_EMPTY; }
  bool IsNull() const { return ValueType() == VT_NULL; }
  bool IsArray() const { return (ValueType() & VT_ARRAY) != 0; }
  bool IsByRef() const { return vt_ == (VT_BYREF | VT_VARIANT); }

  int32_t AsInteger() const;
  int64_t AsInt64() const;
  bool AsBool() const;
  double AsDouble() const;
  int64_t AsCurrency() const;  // scaled by 10 000
  double AsDate() const;
  std::u16string AsString() const;
  // Empty gives a null reference.
  ComPtr<IUnknown> AsUnknown() const;
  // The code of a VT_ERROR value.
  SCODE AsError() const;

  // The variant a reference refers to; the variant itself otherwise.
  OleVariant& Deref() { return IsByRef() ? *std::get<OleVariant*>(value_) : *this; }
  const OleVariant& Deref() const { return IsByRef() ? *std::get<OleVariant*>(value_) : *this; }
  // Stores `value` (read through a reference) where this variant refers to:
  // into the target of a reference, otherwise into this variant.
  void Assign(const OleVariant& value);

  // Array access, through a reference too. EVariantError when the value is
  // not an array, EVariantBoundsError for an index outside the bounds.
  int32_t LowBound() const;
  int32_t HighBound() const;
  int32_t ElementCount() const;
  OleVariant& operator[](int32_t index);
  const OleVariant& operator[](int32_t index) const;
  // Moves the high bound, keeping the elements that remain and adding empty ones.
  void Redim(int32_t high);

 private:
  struct ArrayData;
  // An owned array that copies deeply.
  class ArrayBox {
   public:
    explicit ArrayBox(std::unique_ptr<ArrayData> data);
    ArrayBox(const ArrayBox& other);
    ArrayBox(ArrayBox&& other) noexcept;
    ArrayBox& operator=(const ArrayBox& other);
    ArrayBox& operator=(ArrayBox&& other) noexcept;
    ~ArrayBox();
    ArrayData& operator*() const { return *data_; }

   private:
    std::unique_ptr<ArrayData> data_;
  };
  using Storage = std::variant<std::monostate, int64_t, double, std::u16string, ComPtr<IUnknown>,
                               ArrayBox, OleVariant*>;

  OleVariant(VARTYPE vt, Storage value) : vt_(vt), value_(std::move(value)) {}

  ArrayData& Elements() const;
  int64_t ToIntegral(VARTYPE target, int64_t low, int64_t high) const;
  double ToDouble(VARTYPE target) const;
  [[noreturn]] void CastError(VARTYPE target) const;
  [[noreturn]] void OverflowError(VARTYPE target) const;

  VARTYPE vt_ = VT_EMPTY;
  Storage value_;
};

// The name of a VT_ code as messages show it ("Integer", "OleStr", "Array Variant").
std::string VarTypeAsText(VARTYPE vt);
// Text of a variant, with null as empty text (UTF-16 and UTF-8).
std::u16string VarToWideStr(const OleVariant& value);
std::string VarToStr(const OleVariant& value);
