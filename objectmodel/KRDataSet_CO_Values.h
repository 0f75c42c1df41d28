#pragma once
// Typed values handed out by the proxies.
//
// TKRFieldValue (IKRFieldValue): an API field type, whether the value is an
// array, and the value (an automation variant, empty at creation). Value
// reads and writes copies (a reference is read through). IsNull: empty or
// Null. ArrayValue and ArrayCount look at the value only when IsArray is set
// and the value is an array: the element at an index (a failure outside the
// bounds), and high bound + 1; otherwise they answer empty and 0.
//
// TKRArgument (IKRArgument): a signal argument, a field value with a
// description and a mandatory flag. AddValue appends to an array argument:
// an empty value becomes the array 0..0 holding the value, an array grows by
// one element at its end; a non-array argument ignores it.
//
// IsAPIFieldNull tells whether an API field holds its type's null value.

#include <cstdint>
#include <string>

#include "kestrel/include/KestrelAPI.h"
#include "objectmodel/KRDataSet_CO_AutoObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Variant.h"

inline constexpr IID IID_IKRFieldValue = GuidLiteral("6E2BA881-9811-11D1-B852-00805F49559B");
inline constexpr IID IID_IKRArgument = GuidLiteral("6E2BA880-9811-11D1-B852-00805F49559B");

struct IKRFieldValue : IUnknown {
  static constexpr const IID& kIID = IID_IKRFieldValue;

  virtual int32_t Get_FieldType() = 0;
  virtual bool Get_IsNull() = 0;
  virtual void Clear() = 0;
  virtual bool Get_IsArray() = 0;
  virtual OleVariant Get_ArrayValue(int32_t index) = 0;
  virtual int32_t Get_ArrayCount() = 0;
  virtual OleVariant Get_Value() = 0;
  virtual void Set_Value(const OleVariant& value) = 0;
};

struct IKRArgument : IKRFieldValue {
  static constexpr const IID& kIID = IID_IKRArgument;
  using BaseInterface = IKRFieldValue;

  virtual bool Get_IsMandatory() = 0;
  virtual void AddValue(const OleVariant& value) = 0;
  virtual std::u16string Get_Description() = 0;
};

// The field value machinery over interface I (IKRFieldValue or one
// extending it); TKRFieldValue<> is the plain field value.
template <class I = IKRFieldValue>
class TKRFieldValue : public TKRAutoObject<I> {
 public:
  TKRFieldValue(int32_t fieldType, bool isArray) : FFieldType(fieldType), FIsArray(isArray) {}

  int32_t Get_FieldType() override {
    return this->Guard([&] { return FFieldType; });
  }
  bool Get_IsNull() override {
    return this->Guard([&] { return FValue.IsEmpty() || FValue.IsNull(); });
  }
  void Clear() override {
    this->Guard([&] { FValue = OleVariant(); });
  }
  bool Get_IsArray() override {
    return this->Guard([&] { return FIsArray; });
  }
  OleVariant Get_ArrayValue(int32_t index) override {
    return this->Guard([&] { return HoldsArray() ? FValue[index] : OleVariant(); });
  }
  int32_t Get_ArrayCount() override {
    return this->Guard([&] { return HoldsArray() ? FValue.HighBound() + 1 : 0; });
  }
  OleVariant Get_Value() override {
    return this->Guard([&] { return FValue; });
  }
  void Set_Value(const OleVariant& value) override {
    this->Guard([&] { FValue = value.Deref(); });
  }

 protected:
  bool HoldsArray() const { return FIsArray && FValue.IsArray(); }

  int32_t FFieldType;
  bool FIsArray;
  OleVariant FValue;
};

class TKRArgument : public TKRFieldValue<IKRArgument> {
 public:
  TKRArgument(std::u16string description, bool isMandatory, int32_t fieldType, bool isArray);

  bool Get_IsMandatory() override;
  void AddValue(const OleVariant& value) override;
  std::u16string Get_Description() override;

 private:
  std::u16string FDescription;
  bool FIsMandatory;
};

// The Database API's null duration (type 4): the largest 32-bit value, as no
// duration in seconds reaches it.
inline constexpr int32_t kKRNullDuration = 2147483647;

// True when the field holds its type's null value: -1 for types 1 and 11;
// 0 for 3, 6, 7, 8 and 10; kKRNullDuration for 4; 0.0 for 5 and 15; a null or
// empty string for 9; a null blob or a blob length of 0 for 16. Other types
// have no null value.
bool IsAPIFieldNull(const KSField& field);
