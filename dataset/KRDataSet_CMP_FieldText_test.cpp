#include "dataset/KRDataSet_CMP_FieldText.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/vcl/MemDataSet.h"
#include "platform/vcl/NumericFields.h"
#include "support/KRDateFunc_UNT.h"

namespace {

class FieldText : public ::testing::Test {
 protected:
  void SetUp() override {
    data = std::make_unique<TMemDataSet>(nullptr);
    data->DefineField("Start", ftDateTime);
    data->DefineField("Day", ftDate);
    data->DefineField("Took", ftInteger);
    data->DefineField("State", ftInteger);
    data->DefineField("Amount", ftFloat);
    data->DefineField("Note", ftString, 40);
    data->DefineField("Done", ftBoolean);
    data->Open();
    data->Append();
  }
  TField& F(const char* name) { return *data->FieldByName(name); }

  std::unique_ptr<TMemDataSet> data;
};

TEST_F(FieldText, DateTimesShowAndReadTheirTexts) {
  KRInstallDateTimeText(F("Start"));
  KRInstallDateTimeText(F("Day"));
  EXPECT_EQ(F("Start").DisplayText(), "");

  const TDateTime moment = EncodeDate(2024, 3, 5) + EncodeTime(14, 30, 0, 0);
  F("Start").SetAsDateTime(moment);
  F("Day").SetAsDateTime(moment);
  EXPECT_EQ(F("Start").DisplayText(), SysDateToStr(moment));
  EXPECT_EQ(F("Day").DisplayText(), SysDateToDateStr(moment));
  EXPECT_NE(F("Start").DisplayText(), F("Day").DisplayText());

  // What a field shows reads back as the same value.
  const std::string shown = F("Start").Text();
  F("Start").Clear();
  F("Start").SetText(shown);
  EXPECT_DOUBLE_EQ(F("Start").AsDateTime(), moment);

  F("Start").SetText("   ");
  EXPECT_TRUE(F("Start").IsNull());
  EXPECT_THROW(F("Start").SetText("not a date"), Exception);
}

TEST_F(FieldText, DurationsFollowTheirDecimals) {
  int32_t decimals = 0;
  KRInstallDurationText(F("Took"), [&decimals] { return decimals; });
  EXPECT_EQ(F("Took").DisplayText(), "");

  F("Took").SetText("2 min");
  EXPECT_EQ(F("Took").AsInteger(), 120);
  F("Took").SetText("7.9");
  EXPECT_EQ(F("Took").AsInteger(), 7);  // whole seconds

  F("Took").SetAsInteger(90);
  EXPECT_EQ(F("Took").DisplayText(), DurationToStr(90, 0, krduAuto));
  decimals = 2;
  EXPECT_EQ(F("Took").DisplayText(), DurationToStr(90, 2, krduAuto));
  EXPECT_NE(DurationToStr(90, 2, krduAuto), DurationToStr(90, 0, krduAuto));

  F("Took").SetText("");
  EXPECT_TRUE(F("Took").IsNull());
}

TEST_F(FieldText, EnumeratedFieldsShowTheirValueText) {
  KRInstallEnumeratedText(F("State"), [](int32_t value) { return "state " + std::to_string(value); });
  EXPECT_EQ(F("State").DisplayText(), "");
  F("State").SetAsInteger(3);
  EXPECT_EQ(F("State").DisplayText(), "state 3");
  EXPECT_FALSE(F("State").OnSetText);
}

TEST_F(FieldText, FloatsAreGroupedOnlyForDisplay) {
  KRInstallFloatText(F("Amount"));
  EXPECT_EQ(F("Amount").DisplayText(), "");
  auto& amount = static_cast<TFloatField&>(F("Amount"));
  amount.SetPrecision(2);
  amount.SetAsFloat(1234567.5);
  EXPECT_EQ(amount.DisplayText(), "1,234,567.50");
  EXPECT_EQ(amount.Text(), "1234567.50");
}

TEST_F(FieldText, MemosStoreTextAndClearOnEmpty) {
  KRInstallMemoText(F("Note"));
  F("Note").SetText("first line");
  EXPECT_EQ(F("Note").DisplayText(), "first line");
  F("Note").SetText("");
  EXPECT_TRUE(F("Note").IsNull());
  EXPECT_EQ(F("Note").Text(), "");
}

TEST_F(FieldText, BooleansGetDisplayValuesOnlyWhenTheyHaveNone) {
  auto& done = static_cast<TBooleanField&>(F("Done"));
  KRSetBooleanDisplayValues(done);
  done.SetAsBoolean(false);
  EXPECT_EQ(done.DisplayText(), "False");
  done.SetAsBoolean(true);
  EXPECT_EQ(done.DisplayText(), "True");

  done.SetDisplayValues("Yes;No");
  KRSetBooleanDisplayValues(done);
  EXPECT_EQ(done.DisplayText(), "Yes");
}

}  // namespace
