#pragma once
// Text fields.
//
// TStringField (ftString): text of at most Size() bytes (20 by default, at
// most 8192), held natively as zero-terminated UTF-8 of Size() + 1 bytes.
// Longer text is cut to Size() bytes at a character boundary. The numeric,
// boolean and date conversions parse and format the text (EConvertError for
// text that does not parse); AsBoolean is true for text starting with
// T, t, Y or y.
//
// TWideStringField (ftWideString): text of at most Size() UTF-16 units,
// held natively as zero-terminated UTF-16 of (Size() + 1) * 2 bytes.

#include <string>

#include "platform/vcl/Field.h"

class TStringField : public TField {
 public:
  explicit TStringField(TComponent* owner);

  std::string_view ClassName() const override { return "TStringField"; }
  void GetPublishedProperties(TPublishedProperties& properties) override;
  int32_t DataSize() const override { return Size() + 1; }

  bool GetAsBoolean() const override;
  void SetAsBoolean(bool value) override;
  TDateTime GetAsDateTime() const override;
  void SetAsDateTime(TDateTime value) override;
  double GetAsFloat() const override;
  void SetAsFloat(double value) override;
  int32_t GetAsInteger() const override;
  void SetAsInteger(int32_t value) override;
  int64_t GetAsLargeInt() const override;
  void SetAsLargeInt(int64_t value) override;
  std::string GetAsString() const override;
  void SetAsString(const std::string& value) override;
  OleVariant GetAsVariant() const override;

 protected:
  void CheckTypeSize(int32_t size) const override;
  void SetVarValue(const OleVariant& value) override;
};

class TWideStringField : public TStringField {
 public:
  explicit TWideStringField(TComponent* owner);

  std::string_view ClassName() const override { return "TWideStringField"; }
  int32_t DataSize() const override { return (Size() + 1) * 2; }

  std::string GetAsString() const override;
  void SetAsString(const std::string& value) override;
  std::u16string GetAsWideString() const override;
  void GetWideStringInto(std::u16string& value) const override;
  void SetAsWideString(const std::u16string& value) override;

 protected:
  void SetVarValue(const OleVariant& value) override;
};
