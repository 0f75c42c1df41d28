// The field classes: native forms, conversions, ranges, text, and the field
// and definition lists.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "platform/text/DateTime.h"
#include "platform/text/FormatSettings.h"
#include "platform/vcl/BooleanField.h"
#include "platform/vcl/DateTimeFields.h"
#include "platform/vcl/MemDataSet.h"
#include "platform/vcl/NativeDateTime.h"
#include "platform/vcl/NumericFields.h"
#include "platform/vcl/StringFields.h"

namespace {

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "(no error)";
}

// A record of every kind of field, being inserted.
class FieldKinds : public testing::Test {
 protected:
  void SetUp() override {
    ResetFormatSettings();
    data.SetName("Data");
    data.DefineField("ID", ftInteger);
    data.DefineField("Small", ftSmallint);
    data.DefineField("Big", ftLargeint);
    data.DefineField("Name", ftString, 5);
    data.DefineField("Wide", ftWideString, 3);
    data.DefineField("Flag", ftBoolean);
    data.DefineField("Amount", ftFloat);
    data.DefineField("Price", ftCurrency);
    data.DefineField("Day", ftDate);
    data.DefineField("Clock", ftTime);
    data.DefineField("Stamp", ftDateTime);
    data.Open();
    data.Append();
  }
  TField& F(const char* name) { return *data.FieldByName(name); }
  template <class T>
  T& As(const char* name) {
    return dynamic_cast<T&>(F(name));
  }
  // The bytes the record keeps for a field after it is posted.
  template <class T>
  T Stored(const char* name) {
    const auto& record = data.Records().front().data;
    const int32_t offset = data.DataOffset(F(name));
    EXPECT_EQ(record[static_cast<size_t>(offset)], 1) << name << " is null";
    T value;
    std::memcpy(&value, record.data() + offset + 1, sizeof value);
    return value;
  }

  TMemDataSet data{nullptr};
};

TEST_F(FieldKinds, DefaultFieldsHaveTheClassOfTheirType) {
  EXPECT_EQ(F("ID").ClassName(), "TIntegerField");
  EXPECT_EQ(F("Small").ClassName(), "TSmallintField");
  EXPECT_EQ(F("Big").ClassName(), "TLargeintField");
  EXPECT_EQ(F("Name").ClassName(), "TStringField");
  EXPECT_EQ(F("Wide").ClassName(), "TWideStringField");
  EXPECT_EQ(F("Flag").ClassName(), "TBooleanField");
  EXPECT_EQ(F("Amount").ClassName(), "TFloatField");
  EXPECT_EQ(F("Price").ClassName(), "TCurrencyField");
  EXPECT_EQ(F("Day").ClassName(), "TDateField");
  EXPECT_EQ(F("Clock").ClassName(), "TTimeField");
  EXPECT_EQ(F("Stamp").ClassName(), "TDateTimeField");
  EXPECT_EQ(F("Name").Size(), 5);
  EXPECT_EQ(F("Name").DataSize(), 6);
  EXPECT_EQ(F("Wide").DataSize(), 8);
  EXPECT_EQ(F("ID").Alignment(), taRightJustify);
  EXPECT_EQ(F("Name").Alignment(), taLeftJustify);
  EXPECT_EQ(F("Stamp").FieldNo(), 11);
}

TEST_F(FieldKinds, IntegersCheckTheirRanges) {
  F("ID").SetAsInteger(INT32_MAX);
  EXPECT_EQ(F("ID").AsLargeInt(), INT32_MAX);
  EXPECT_EQ(ErrorOf([&] { F("ID").SetAsLargeInt(int64_t{INT32_MAX} + 1); }),
            "2147483648 is not a valid value for field 'ID'. The allowed range is -2147483648 to "
            "2147483647");
  EXPECT_EQ(ErrorOf([&] { F("Small").SetAsInteger(40000); }),
            "40000 is not a valid value for field 'Small'. The allowed range is -32768 to 32767");
  F("Small").SetAsInteger(-32768);
  EXPECT_EQ(F("Small").AsInteger(), -32768);
  As<TIntegerField>("ID").SetMinValue(1);
  As<TIntegerField>("ID").SetMaxValue(10);
  EXPECT_EQ(ErrorOf([&] { F("ID").SetAsInteger(11); }),
            "11 is not a valid value for field 'ID'. The allowed range is 1 to 10");
  F("ID").SetAsFloat(2.5);
  EXPECT_EQ(F("ID").AsInteger(), 2);  // halves to even
  F("ID").SetAsFloat(3.5);
  EXPECT_EQ(F("ID").AsInteger(), 4);
  F("Big").SetAsLargeInt(int64_t{1} << 40);
  EXPECT_EQ(F("Big").AsFloat(), 1099511627776.0);
  EXPECT_EQ(F("Big").AsVariant().Type(), VT_I8);
  EXPECT_THROW(F("Big").AsInteger(), EDatabaseError);
  EXPECT_EQ(F("ID").AsVariant().Type(), VT_I4);
  data.Post();
  EXPECT_EQ(Stored<int32_t>("ID"), 4);
  EXPECT_EQ(Stored<int16_t>("Small"), -32768);
  EXPECT_EQ(Stored<int64_t>("Big"), int64_t{1} << 40);
}

TEST_F(FieldKinds, IntegerTextParsesFormatsAndClears) {
  EXPECT_EQ(ErrorOf([&] { F("ID").SetAsString("12x"); }),
            "'12x' is not a valid integer value for field 'ID'");
  F("ID").SetAsString("1234");
  EXPECT_EQ(F("ID").AsInteger(), 1234);
  As<TIntegerField>("ID").SetDisplayFormat("#,##0");
  EXPECT_EQ(F("ID").DisplayText(), "1,234");
  EXPECT_EQ(F("ID").Text(), "1,234");  // no edit format: the display format
  As<TIntegerField>("ID").SetEditFormat("0");
  EXPECT_EQ(F("ID").Text(), "1234");
  F("ID").SetText("");
  EXPECT_TRUE(F("ID").IsNull());
  EXPECT_EQ(F("ID").AsInteger(), 0);
  EXPECT_EQ(F("ID").Text(), "");
  EXPECT_TRUE(F("ID").AsVariant().IsNull());
  EXPECT_EQ(ErrorOf([&] { F("ID").AsBoolean(); }), "Cannot access field 'ID' as type Boolean");
  F("ID").SetValue(OleVariant(u"77"));
  EXPECT_EQ(F("ID").AsInteger(), 77);
}

TEST_F(FieldKinds, StringsAreCutToTheirSizeAtCharacterBoundaries) {
  F("Name").SetAsString("abcdefg");
  EXPECT_EQ(F("Name").AsString(), "abcde");
  F("Name").SetAsString("a\xC3\xA9\xE2\x82\xAC");  // a, e-acute, euro sign: 6 bytes
  EXPECT_EQ(F("Name").AsString(), "a\xC3\xA9");
  F("Name").SetAsString("12");
  EXPECT_EQ(F("Name").AsInteger(), 12);
  EXPECT_EQ(F("Name").AsFloat(), 12.0);
  F("Name").SetAsString("x");
  EXPECT_THROW(F("Name").AsInteger(), EConvertError);
  F("Name").SetAsString("yes");
  EXPECT_TRUE(F("Name").AsBoolean());
  EXPECT_EQ(F("Name").AsVariant().AsString(), u"yes");
  F("Name").SetValue(OleVariant::Null());
  EXPECT_TRUE(F("Name").IsNull());
  F("Name").SetAsString("");
  EXPECT_FALSE(F("Name").IsNull());  // empty text is a value

  F("Wide").SetAsWideString(u"abcd");
  EXPECT_EQ(F("Wide").AsWideString(), u"abc");
  F("Wide").SetAsWideString(u"ab\U0001F600");
  EXPECT_EQ(F("Wide").AsWideString(), u"ab");  // never half a surrogate pair
  F("Wide").SetAsString("\xC3\xBC");
  EXPECT_EQ(F("Wide").AsWideString(), u"\u00fc");

  // Reading into a string replaces what it held, whatever its length; a
  // value of the full size has no terminator to stop at; null is empty.
  std::u16string text = u"longer than the field";
  F("Wide").GetWideStringInto(text);
  EXPECT_EQ(text, u"\u00fc");
  F("Wide").SetAsWideString(u"xyz");
  F("Wide").GetWideStringInto(text);
  EXPECT_EQ(text, u"xyz");
  F("Name").SetAsString("\xC3\xA9t\xC3\xA9");
  F("Name").GetWideStringInto(text);  // a narrow field converts
  EXPECT_EQ(text, u"\u00e9t\u00e9");
  F("Wide").Clear();
  F("Wide").GetWideStringInto(text);
  EXPECT_EQ(text, u"");
  EXPECT_TRUE(F("Wide").IsNull());
  F("Wide").SetAsString("\xC3\xBC");
  data.Post();
  EXPECT_EQ(Stored<char16_t>("Wide"), u'\u00fc');
}

TEST_F(FieldKinds, SizesAreCheckedAndFixedWhileOpen) {
  EXPECT_EQ(ErrorOf([&] { F("Name").SetSize(10); }),
            "Data: Cannot perform this operation on an open dataset");
  TStringField loose(nullptr);
  EXPECT_EQ(ErrorOf([&] { loose.SetSize(-1); }), "Invalid field size");
  EXPECT_EQ(ErrorOf([&] { loose.SetSize(8193); }), "Invalid field size");
  loose.SetSize(8192);
  EXPECT_EQ(loose.DataSize(), 8193);
  TIntegerField integer(nullptr);
  EXPECT_EQ(ErrorOf([&] { integer.SetSize(4); }), "Invalid field size");
  EXPECT_EQ(ErrorOf([&] { integer.AsInteger(); }), "Field '' has no dataset");
}

TEST_F(FieldKinds, BooleansReadAndWriteTheirDisplayValues) {
  EXPECT_EQ(F("Flag").AsString(), "");
  F("Flag").SetAsString("t");
  EXPECT_TRUE(F("Flag").AsBoolean());
  EXPECT_EQ(F("Flag").AsString(), "True");
  F("Flag").SetAsString("FAL");
  EXPECT_FALSE(F("Flag").AsBoolean());
  EXPECT_EQ(ErrorOf([&] { F("Flag").SetAsString("maybe"); }),
            "'maybe' is not a valid boolean value for field 'Flag'");
  auto& flag = As<TBooleanField>("Flag");
  flag.SetDisplayValues("Yes;No");
  flag.SetAsBoolean(true);
  EXPECT_EQ(flag.DisplayText(), "Yes");
  flag.SetAsString("n");
  EXPECT_EQ(flag.AsString(), "No");
  flag.SetAsString("");
  EXPECT_TRUE(flag.IsNull());
  flag.SetDisplayValues("Checked");  // no text for false
  flag.SetAsString("");
  EXPECT_FALSE(flag.IsNull());
  EXPECT_FALSE(flag.AsBoolean());
  flag.SetAsVariant(OleVariant(true));
  EXPECT_EQ(flag.AsVariant().Type(), VT_BOOL);
  data.Post();
  EXPECT_EQ(Stored<int16_t>("Flag"), -1);
}

TEST_F(FieldKinds, FloatsAndMoney) {
  F("Amount").SetAsFloat(1234.5);
  EXPECT_EQ(F("Amount").AsString(), "1234.5");
  EXPECT_EQ(F("Amount").DisplayText(), "1234.5");
  F("Price").SetAsString("1234.5");
  EXPECT_TRUE(As<TFloatField>("Price").Currency());
  EXPECT_EQ(F("Price").DisplayText(), "$1,234.50");
  EXPECT_EQ(F("Price").Text(), "1234.50");
  As<TFloatField>("Amount").SetDisplayFormat("0.0");
  F("Amount").SetAsFloat(2.26);
  EXPECT_EQ(F("Amount").DisplayText(), "2.3");
  EXPECT_EQ(F("Amount").AsInteger(), 2);
  As<TFloatField>("Amount").SetPrecision(3);
  As<TFloatField>("Amount").SetDisplayFormat("");
  F("Amount").SetAsFloat(3.14159);
  EXPECT_EQ(F("Amount").DisplayText(), "3.14");
  EXPECT_EQ(ErrorOf([&] { F("Amount").SetAsString("1,5"); }),
            "'1,5' is not a valid floating point value for field 'Amount'");
  As<TFloatField>("Amount").SetMinValue(-1);
  As<TFloatField>("Amount").SetMaxValue(1);
  EXPECT_EQ(ErrorOf([&] { F("Amount").SetAsFloat(1.5); }),
            "1.5 is not a valid value for field 'Amount'. The allowed range is -1 to 1");
  EXPECT_EQ(F("Amount").AsVariant().Type(), VT_R8);
  data.Post();
  EXPECT_EQ(Stored<double>("Price"), 1234.5);
}

TEST_F(FieldKinds, DatesAndTimesKeepTheirNativeForms) {
  const TDateTime stamp = EncodeDateTime(2024, 2, 29, 13, 45, 30, 250);
  F("Stamp").SetAsDateTime(stamp);
  EXPECT_EQ(F("Stamp").AsDateTime(), stamp);
  EXPECT_EQ(F("Stamp").AsString(), "2/29/2024 1:45:30 PM");
  As<TDateTimeField>("Stamp").SetDisplayFormat("yyyy-mm-dd");
  EXPECT_EQ(F("Stamp").DisplayText(), "2024-02-29");
  EXPECT_EQ(F("Stamp").Text(), "2/29/2024 1:45:30 PM");
  F("Day").SetAsDateTime(stamp);
  EXPECT_EQ(F("Day").AsDateTime(), EncodeDate(2024, 2, 29));
  EXPECT_EQ(F("Day").AsString(), "2/29/2024");
  F("Clock").SetAsDateTime(stamp);
  EXPECT_EQ(F("Clock").AsString(), "1:45:30 PM");
  EXPECT_DOUBLE_EQ(F("Clock").AsDateTime(), TimeOf(stamp));
  F("Day").SetAsString("3/1/2024");
  EXPECT_EQ(F("Day").AsDateTime(), EncodeDate(2024, 3, 1));
  EXPECT_THROW(F("Day").SetAsString("31/31/2024"), EConvertError);
  EXPECT_EQ(F("Day").AsVariant().Type(), VT_DATE);
  data.Post();
  EXPECT_EQ(Stored<int32_t>("Day"), kDateDelta + static_cast<int32_t>(EncodeDate(2024, 3, 1)));
  EXPECT_EQ(Stored<int32_t>("Clock"), ((13 * 60 + 45) * 60 + 30) * 1000 + 250);
  EXPECT_EQ(Stored<double>("Stamp"), TimeStampToMSecs(DateTimeToTimeStamp(stamp)));
}

TEST(NativeDateTime, TimeStampsCountFromTheFirstDayOfYearOne) {
  const TTimeStamp zero = DateTimeToTimeStamp(0);
  EXPECT_EQ(zero.Date, 693594);
  EXPECT_EQ(zero.Time, 0);
  EXPECT_EQ(TimeStampToDateTime(DateTimeToTimeStamp(-1.25)), -1.25);
  const TTimeStamp early = DateTimeToTimeStamp(-1.25);
  EXPECT_EQ(early.Date, 693593);
  EXPECT_EQ(early.Time, 6 * 3600 * 1000);
  const TTimeStamp rounded = MSecsToTimeStamp(86400000.0 * 5 - 0.2);
  EXPECT_EQ(rounded.Date, 5);
  EXPECT_EQ(rounded.Time, 0);
  EXPECT_THROW(MSecsToTimeStamp(1e300), EConvertError);
}

TEST_F(FieldKinds, TextHandlersAndLabels) {
  TField& name = F("Name");
  name.OnGetText = [](TField& field, std::string& text, bool displayText) {
    text = (displayText ? "<" : "[") + field.AsString() + (displayText ? ">" : "]");
  };
  std::string set;
  name.OnSetText = [&](TField& field, const std::string& text) {
    set = text;
    field.SetAsString(text + "!");
  };
  name.SetText("hi");
  EXPECT_EQ(set, "hi");
  EXPECT_EQ(name.DisplayText(), "<hi!>");
  EXPECT_EQ(name.Text(), "[hi!]");
  EXPECT_EQ(name.DisplayLabel(), "Name");
  name.SetDisplayLabel("Full name");
  EXPECT_EQ(name.DisplayName(), "Full name");
  name.SetDisplayLabel("Name");
  EXPECT_EQ(name.DisplayLabel(), "Name");
}

TEST_F(FieldKinds, FieldListsAndDefinitions) {
  data.Cancel();
  EXPECT_EQ(data.FieldByName("name"), &F("Name"));
  EXPECT_EQ(data.Fields().FieldByNumber(4), &F("Name"));
  EXPECT_EQ(data.GetFieldList(" ID ; Name;"), (std::vector<TField*>{&F("ID"), &F("Name")}));
  F("Name").SetIndex(0);
  EXPECT_EQ(data.Fields()[0], &F("Name"));
  EXPECT_EQ(F("ID").Index(), 1);
  EXPECT_THROW(data.Fields()[99], EListError);

  TFieldDefs& defs = data.FieldDefs();
  EXPECT_EQ(defs.IndexOf("stamp"), 10);
  EXPECT_EQ(defs.Find("Day").FieldNo(), 9);
  EXPECT_EQ(ErrorOf([&] { defs.Find("Nope"); }), "Data: Field 'Nope' not found");
  EXPECT_EQ(ErrorOf([&] { defs.Add("id", ftInteger); }), "Data: Duplicate name 'id' in TFieldDefs");
  EXPECT_EQ(ErrorOf([&] { defs.Add("", ftInteger); }), "Data: Field name missing");
  EXPECT_EQ(defs[3].DisplayName(), "Name");
  TFieldDefs copy(nullptr);
  copy.Assign(defs);
  EXPECT_EQ(copy.Count(), 11);
  EXPECT_EQ(copy[3].Size(), 5);

  data.Close();
  auto* other = new TIntegerField(&data);
  other->SetFieldName("Other");
  other->SetDataSet(&data);
  auto* clash = new TIntegerField(&data);
  clash->SetFieldName("other");
  EXPECT_EQ(ErrorOf([&] { clash->SetDataSet(&data); }), "Data: Duplicate field name 'other'");
  clash->SetFieldName("Other2");
  clash->SetDataSet(&data);
  EXPECT_EQ(ErrorOf([&] { clash->SetFieldName("OTHER"); }), "Data: Duplicate field name 'OTHER'");
  delete clash;
  EXPECT_EQ(data.FieldCount(), 1);
}

TEST(FieldClasses, AnUnknownTypeHasNoFieldClass) {
  TMemDataSet data(nullptr);
  data.DefineField("G", ftGuid);
  EXPECT_EQ(ErrorOf([&] { data.Open(); }), "Field 'G' is of an unknown type");
  EXPECT_FALSE(data.Active());
}

}  // namespace
