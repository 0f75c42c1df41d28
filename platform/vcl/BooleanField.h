#pragma once
// TBooleanField (ftBoolean): native int16, -1 for true and 0 for false
// (any non-zero value reads as true). DisplayValues "Yes;No" names true
// and false in the text (empty: "True;False"; without ';' the false text
// is empty). Setting text accepts either name or a prefix of it without
// regard to case; empty text clears, unless one of the names is empty,
// which it then means. Other text raises EDatabaseError "'<text>' is not a
// valid boolean value for field '<name>'".

#include <string>

#include "platform/vcl/Field.h"

class TBooleanField : public TField {
 public:
  explicit TBooleanField(TComponent* owner);

  std::string_view ClassName() const override { return "TBooleanField"; }
  void GetPublishedProperties(TPublishedProperties& properties) override;
  int32_t DataSize() const override { return 2; }

  const std::string& DisplayValues() const { return displayValues_; }
  void SetDisplayValues(const std::string& values);

  bool GetAsBoolean() const override;
  void SetAsBoolean(bool value) override;
  std::string GetAsString() const override;
  void SetAsString(const std::string& value) override;
  OleVariant GetAsVariant() const override;

 protected:
  void SetVarValue(const OleVariant& value) override;

 private:
  std::string displayValues_;
  std::string trueText_ = "True";
  std::string falseText_ = "False";
};
