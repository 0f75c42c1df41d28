#pragma once
// Number fields. All are right-aligned and may have a DisplayFormat (the
// display text) and an EditFormat (the edit text; the display format when
// empty), pictures of FormatFloat.
//
// TIntegerField (ftInteger, native int32), TSmallintField (ftSmallint,
// int16) and TLargeintField (ftLargeint, int64): a value outside the
// native type, or outside MinValue..MaxValue when either is not 0, raises
// EDatabaseError "<value> is not a valid value for field '<name>'. The
// allowed range is <min> to <max>". Text that is not an integer raises
// "'<text>' is not a valid integer value for field '<name>'"; empty text
// clears. Floats are rounded (halves to even).
//
// TFloatField (ftFloat, native double) and TCurrencyField (ftCurrency, a
// double shown as money): the same range rule with MinValue/MaxValue;
// Precision (15 by default) is the significant digits of the text; with
// Currency set the display text is in the locale's currency format and the
// edit text has its decimals. Text that is not a number raises "'<text>' is
// not a valid floating point value for field '<name>'"; empty text clears.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "platform/vcl/Field.h"

class TNumericField : public TField {
 public:
  std::string_view ClassName() const override { return "TNumericField"; }
  void GetPublishedProperties(TPublishedProperties& properties) override;

  const std::string& DisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const std::string& format) { ChangeProperty(displayFormat_, format, false); }
  const std::string& EditFormat() const { return editFormat_; }
  void SetEditFormat(const std::string& format) { ChangeProperty(editFormat_, format, false); }

  // Through the 64-bit value (out of 32-bit range: the range error).
  int32_t GetAsInteger() const override;
  void SetAsInteger(int32_t value) override { SetAsLargeInt(value); }

 protected:
  explicit TNumericField(TComponent* owner);
  TAlignment DefaultAlignment() const override { return taRightJustify; }
  // The picture for the display or edit text (empty: none).
  const std::string& FormatFor(bool displayText) const;
  // Whether text is to be set: empty text clears the field (false), text
  // that did not parse raises `message` (with the text and the field's name).
  bool AcceptText(const std::string& text, bool parsed, const char* message);

 private:
  std::string displayFormat_;
  std::string editFormat_;
};

class TIntegerField : public TNumericField {
 public:
  explicit TIntegerField(TComponent* owner);

  std::string_view ClassName() const override { return "TIntegerField"; }
  void GetPublishedProperties(TPublishedProperties& properties) override;
  int32_t DataSize() const override { return 4; }

  int64_t MinValue() const { return minValue_; }
  void SetMinValue(int64_t value) { minValue_ = value; }
  int64_t MaxValue() const { return maxValue_; }
  void SetMaxValue(int64_t value) { maxValue_ = value; }

  double GetAsFloat() const override;
  void SetAsFloat(double value) override;
  int64_t GetAsLargeInt() const override;
  void SetAsLargeInt(int64_t value) override;
  std::string GetAsString() const override;
  void SetAsString(const std::string& value) override;
  OleVariant GetAsVariant() const override;

 protected:
  void GetText(std::string& text, bool displayText) const override;
  void SetVarValue(const OleVariant& value) override;
  // The native value, widened (false: null), and storing one already checked.
  virtual bool ReadValue(int64_t& value) const { return ReadAs<int32_t>(value); }
  virtual void WriteValue(int64_t value) { WriteAs<int32_t>(value); }
  // The range of the native type.
  virtual int64_t LowestValue() const { return INT32_MIN; }
  virtual int64_t HighestValue() const { return INT32_MAX; }
  template <class T>
  bool ReadAs(int64_t& value) const {
    T native{};
    if (!GetData(&native)) return false;
    value = native;
    return true;
  }
  template <class T>
  void WriteAs(int64_t value) {
    const auto native = static_cast<T>(value);
    SetData(&native);
  }

 private:
  void CheckRange(int64_t value) const;

  int64_t minValue_ = 0;
  int64_t maxValue_ = 0;
};

// An integer field whose native value is a T of the range of T.
template <class T, TFieldType Type>
class TSizedIntegerField : public TIntegerField {
 public:
  explicit TSizedIntegerField(TComponent* owner) : TIntegerField(owner) { SetDataType(Type); }
  int32_t DataSize() const override { return sizeof(T); }

 protected:
  bool ReadValue(int64_t& value) const override { return ReadAs<T>(value); }
  void WriteValue(int64_t value) override { WriteAs<T>(value); }
  int64_t LowestValue() const override { return std::numeric_limits<T>::min(); }
  int64_t HighestValue() const override { return std::numeric_limits<T>::max(); }
};

class TSmallintField : public TSizedIntegerField<int16_t, ftSmallint> {
 public:
  using TSizedIntegerField::TSizedIntegerField;
  std::string_view ClassName() const override { return "TSmallintField"; }
};

class TLargeintField : public TSizedIntegerField<int64_t, ftLargeint> {
 public:
  using TSizedIntegerField::TSizedIntegerField;
  std::string_view ClassName() const override { return "TLargeintField"; }
  OleVariant GetAsVariant() const override;
};

class TFloatField : public TNumericField {
 public:
  explicit TFloatField(TComponent* owner);

  std::string_view ClassName() const override { return "TFloatField"; }
  void GetPublishedProperties(TPublishedProperties& properties) override;
  int32_t DataSize() const override { return 8; }

  bool Currency() const { return currency_; }
  void SetCurrency(bool value) { ChangeProperty(currency_, value, false); }
  int32_t Precision() const { return precision_; }
  // Clamped to 2..15.
  void SetPrecision(int32_t value) { ChangeProperty(precision_, std::clamp(value, 2, 15), false); }
  double MinValue() const { return minValue_; }
  void SetMinValue(double value) { minValue_ = value; }
  double MaxValue() const { return maxValue_; }
  void SetMaxValue(double value) { maxValue_ = value; }

  double GetAsFloat() const override;
  void SetAsFloat(double value) override;
  // Rounded, halves to even.
  int64_t GetAsLargeInt() const override;
  void SetAsLargeInt(int64_t value) override { SetAsFloat(static_cast<double>(value)); }
  std::string GetAsString() const override;
  void SetAsString(const std::string& value) override;
  OleVariant GetAsVariant() const override;

 protected:
  void GetText(std::string& text, bool displayText) const override;
  void SetVarValue(const OleVariant& value) override;

 private:
  bool currency_ = false;
  int32_t precision_ = 15;
  double minValue_ = 0;
  double maxValue_ = 0;
};

class TCurrencyField : public TFloatField {
 public:
  explicit TCurrencyField(TComponent* owner);
  std::string_view ClassName() const override { return "TCurrencyField"; }
};
