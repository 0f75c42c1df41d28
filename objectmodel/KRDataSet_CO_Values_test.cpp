#include "objectmodel/KRDataSet_CO_Values.h"

#include <gtest/gtest.h>

#include "platform/com/OleErrors.h"

namespace {

ComPtr<TKRFieldValue<>> MakeValue(bool isArray) {
  return MakeComObject<TKRFieldValue<>>(KS_TYPE_INTEGER, isArray);
}

ComPtr<TKRArgument> MakeArgument(bool isArray) {
  return MakeComObject<TKRArgument>(u"count", true, KS_TYPE_STRING, isArray);
}

TEST(FieldValueTest, IsNullForEmptyAndNullOnly) {
  auto value = MakeValue(false);
  EXPECT_EQ(value->Get_FieldType(), KS_TYPE_INTEGER);
  EXPECT_TRUE(value->Get_IsNull());
  value->Set_Value(OleVariant::Null());
  EXPECT_TRUE(value->Get_IsNull());
  value->Set_Value(OleVariant(int32_t(0)));
  EXPECT_FALSE(value->Get_IsNull());
  value->Clear();
  EXPECT_TRUE(value->Get_Value().IsEmpty());
}

TEST(FieldValueTest, ValueIsCopiedInAndOutAndReadThroughReferences) {
  auto value = MakeValue(true);
  OleVariant array = OleVariant::ArrayOf({OleVariant(int32_t(1)), OleVariant(int32_t(2))});
  value->Set_Value(array);
  array[0] = OleVariant(int32_t(9));
  OleVariant read = value->Get_Value();
  read[1] = OleVariant(int32_t(8));
  EXPECT_EQ(value->Get_ArrayValue(0).AsInteger(), 1);
  EXPECT_EQ(value->Get_ArrayValue(1).AsInteger(), 2);

  OleVariant target(int32_t(5));
  value->Set_Value(OleVariant::ByRef(target));
  target = OleVariant(int32_t(6));
  EXPECT_FALSE(value->Get_Value().IsByRef());
  EXPECT_EQ(value->Get_Value().AsInteger(), 5);
}

TEST(FieldValueTest, ArrayAccessNeedsAnArrayValueAndTheArrayFlag) {
  const OleVariant three = OleVariant::ArrayOf(
      {OleVariant(int32_t(10)), OleVariant(int32_t(11)), OleVariant(int32_t(12))});
  auto arrayValue = MakeValue(true);
  arrayValue->Set_Value(three);
  EXPECT_EQ(arrayValue->Get_ArrayCount(), 3);
  EXPECT_EQ(arrayValue->Get_ArrayValue(2).AsInteger(), 12);
  // An index outside the bounds is a failure at the interface.
  EXPECT_THROW(arrayValue->Get_ArrayValue(3), EOleException);
  EXPECT_THROW(arrayValue->Get_ArrayValue(-1), EOleException);

  // A non-array field value holding an array.
  auto single = MakeValue(false);
  single->Set_Value(three);
  EXPECT_EQ(single->Get_ArrayCount(), 0);
  EXPECT_TRUE(single->Get_ArrayValue(0).IsEmpty());

  // An array field value holding a single value, or nothing.
  arrayValue->Set_Value(OleVariant(int32_t(4)));
  EXPECT_EQ(arrayValue->Get_ArrayCount(), 0);
  EXPECT_TRUE(arrayValue->Get_ArrayValue(0).IsEmpty());
  arrayValue->Clear();
  EXPECT_EQ(arrayValue->Get_ArrayCount(), 0);

  // An empty array counts 0.
  arrayValue->Set_Value(OleVariant::Array(0, -1));
  EXPECT_EQ(arrayValue->Get_ArrayCount(), 0);
}

TEST(ArgumentTest, AddValueAppendsInOrderToAnArrayArgument) {
  auto argument = MakeArgument(true);
  argument->AddValue(OleVariant(u"a"));
  EXPECT_EQ(argument->Get_ArrayCount(), 1);
  EXPECT_EQ(argument->Get_Value().LowBound(), 0);
  argument->AddValue(OleVariant(u"b"));
  argument->AddValue(OleVariant(u"c"));
  ASSERT_EQ(argument->Get_ArrayCount(), 3);
  EXPECT_EQ(argument->Get_ArrayValue(0).AsString(), u"a");
  EXPECT_EQ(argument->Get_ArrayValue(1).AsString(), u"b");
  EXPECT_EQ(argument->Get_ArrayValue(2).AsString(), u"c");

  // After Clear the next value starts a new array.
  argument->Clear();
  argument->AddValue(OleVariant(int32_t(7)));
  EXPECT_EQ(argument->Get_ArrayCount(), 1);
  EXPECT_EQ(argument->Get_ArrayValue(0).AsInteger(), 7);
}

TEST(ArgumentTest, AddValueLeavesANonArrayArgumentAlone) {
  auto argument = MakeArgument(false);
  argument->AddValue(OleVariant(u"a"));
  EXPECT_TRUE(argument->Get_IsNull());
  argument->Set_Value(OleVariant(u"kept"));
  argument->AddValue(OleVariant(u"b"));
  EXPECT_EQ(argument->Get_Value().AsString(), u"kept");
}

TEST(ArgumentTest, AddValueToASingleValueOfAnArrayArgumentFailsAtTheInterface) {
  auto argument = MakeArgument(true);
  argument->Set_Value(OleVariant(u"single"));
  EXPECT_THROW(argument->AddValue(OleVariant(u"b")), EOleException);
  EXPECT_EQ(argument->Get_Value().AsString(), u"single");
}

TEST(ArgumentTest, KeepsItsDescriptionAndAnswersBothInterfaces) {
  auto argument = MakeComObject<TKRArgument>(u"limit", false, KS_TYPE_FLOAT, false);
  EXPECT_EQ(argument->Get_Description(), u"limit");
  EXPECT_FALSE(argument->Get_IsMandatory());
  EXPECT_EQ(argument->Get_FieldType(), KS_TYPE_FLOAT);
  ComPtr<IKRFieldValue> asValue;
  EXPECT_EQ(argument->QueryInterface(IID_IKRFieldValue, asValue.ReleaseAndGetVoidAddress()), S_OK);
  ComPtr<IKRArgument> asArgument;
  EXPECT_EQ(argument->QueryInterface(IID_IKRArgument, asArgument.ReleaseAndGetVoidAddress()), S_OK);
  // A plain field value is no argument.
  EXPECT_EQ(
      MakeValue(false)->QueryInterface(IID_IKRArgument, asArgument.ReleaseAndGetVoidAddress()),
      E_NOINTERFACE);
}

KSField Integer(int32_t type, int32_t value) {
  KSField field{};
  field.type = type;
  field.value.asInteger = value;
  return field;
}

KSField Double(int32_t type, double value) {
  KSField field{};
  field.type = type;
  field.value.asDouble = value;
  return field;
}

TEST(APIFieldNullTest, EachTypeHasItsOwnNullValue) {
  for (int32_t type : {KS_TYPE_ID, KS_TYPE_REFERENCE}) {
    EXPECT_TRUE(IsAPIFieldNull(Integer(type, -1))) << type;
    EXPECT_FALSE(IsAPIFieldNull(Integer(type, 0))) << type;
  }
  for (int32_t type : {KS_TYPE_INTEGER, KS_TYPE_DATETIME, KS_TYPE_UNSIGNED, KS_TYPE_UNSIGNED2,
                       KS_TYPE_ENUMERATED}) {
    EXPECT_TRUE(IsAPIFieldNull(Integer(type, 0))) << type;
    EXPECT_FALSE(IsAPIFieldNull(Integer(type, -1))) << type;
  }
  EXPECT_TRUE(IsAPIFieldNull(Integer(KS_TYPE_DURATION, 2147483647)));
  EXPECT_FALSE(IsAPIFieldNull(Integer(KS_TYPE_DURATION, 0)));
  EXPECT_FALSE(IsAPIFieldNull(Integer(KS_TYPE_DURATION, 2147483646)));
  for (int32_t type : {KS_TYPE_FLOAT, KS_TYPE_CURRENCY}) {
    EXPECT_TRUE(IsAPIFieldNull(Double(type, 0.0))) << type;
    EXPECT_TRUE(IsAPIFieldNull(Double(type, -0.0))) << type;
    EXPECT_FALSE(IsAPIFieldNull(Double(type, 1e-300))) << type;
  }
  // Types without a null value, whatever they hold.
  for (int32_t type : {KS_TYPE_UNSUPPORTED, KS_TYPE_BOOLEAN, 12, 13, KS_TYPE_LINKS}) {
    EXPECT_FALSE(IsAPIFieldNull(Integer(type, 0))) << type;
    EXPECT_FALSE(IsAPIFieldNull(Integer(type, -1))) << type;
  }
}

TEST(APIFieldNullTest, StringsAndBlobsAreNullWhenAbsentOrEmpty) {
  KSField text{};
  text.type = KS_TYPE_STRING;
  EXPECT_TRUE(IsAPIFieldNull(text));
  text.value.asString = u"";
  EXPECT_TRUE(IsAPIFieldNull(text));
  text.value.asString = u"x";
  EXPECT_FALSE(IsAPIFieldNull(text));

  const char bytes[] = "ab";
  KSField blob{};
  blob.type = KS_TYPE_BLOB;
  blob.blobLength = 2;
  EXPECT_TRUE(IsAPIFieldNull(blob));
  blob.value.asBlob = bytes;
  EXPECT_FALSE(IsAPIFieldNull(blob));
  blob.blobLength = 0;
  EXPECT_TRUE(IsAPIFieldNull(blob));
}

}  // namespace
