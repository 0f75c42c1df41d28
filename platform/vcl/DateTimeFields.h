#pragma once
// Date and time fields. They hold the native forms of NativeDateTime.h and
// exchange TDateTime values (GetData/SetData with nativeFormat false).
// - TDateTimeField (ftDateTime): text in the short date format followed by
//   the long time format (the time left out at midnight) unless
//   DisplayFormat (a FormatDateTime picture) says otherwise.
// - TDateField (ftDate): the short date format; the time of day is dropped.
// - TTimeField (ftTime): the long time format; only the time of day is kept.
// Setting text parses it by the same formats (EConvertError when it does
// not parse); empty text clears.

#include <string>

#include "platform/vcl/Field.h"

class TDateTimeField : public TField {
 public:
  explicit TDateTimeField(TComponent* owner);

  std::string_view ClassName() const override { return "TDateTimeField"; }
  void GetPublishedProperties(TPublishedProperties& properties) override;
  int32_t DataSize() const override { return 8; }

  const std::string& DisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const std::string& format) { ChangeProperty(displayFormat_, format, false); }

  TDateTime GetAsDateTime() const override;
  void SetAsDateTime(TDateTime value) override;
  double GetAsFloat() const override { return GetAsDateTime(); }
  void SetAsFloat(double value) override { SetAsDateTime(value); }
  std::string GetAsString() const override;
  void SetAsString(const std::string& value) override;
  OleVariant GetAsVariant() const override;

 protected:
  void GetText(std::string& text, bool displayText) const override;
  void SetVarValue(const OleVariant& value) override;

 private:
  std::string displayFormat_;
};

class TDateField : public TDateTimeField {
 public:
  explicit TDateField(TComponent* owner);
  std::string_view ClassName() const override { return "TDateField"; }
  int32_t DataSize() const override { return 4; }
};

class TTimeField : public TDateTimeField {
 public:
  explicit TTimeField(TComponent* owner);
  std::string_view ClassName() const override { return "TTimeField"; }
  int32_t DataSize() const override { return 4; }
};
