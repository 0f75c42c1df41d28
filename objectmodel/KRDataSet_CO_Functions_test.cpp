#include <gtest/gtest.h>

#include "objectmodel/KRDataSet_CO_TestProxies_test.h"
#include "objectmodel/KRDateConversion_UNT.h"

using namespace kr_test;

namespace {

TEST(ProxyFunctionsTest, EmptinessAndEquality) {
  TTestAPI api;
  auto a = MakeComObject<TTestProxy>(TTestLevel::Server, u"a");
  auto b = MakeComObject<TTestProxy>(TTestLevel::Server, u"b");
  EXPECT_TRUE(IsProxyListEmpty(nullptr));
  EXPECT_TRUE(IsProxyListEmpty(a->Dependents()));
  b->SetOwner(a.Get());
  EXPECT_FALSE(IsProxyListEmpty(a->Dependents()));

  EXPECT_TRUE(AreProxiesEqual(nullptr, nullptr));
  EXPECT_FALSE(AreProxiesEqual(a.Get(), nullptr));
  EXPECT_FALSE(AreProxiesEqual(nullptr, a.Get()));
  EXPECT_TRUE(AreProxiesEqual(a.Get(), ComPtr<IKRProxy>(a.Get()).Get()));
  EXPECT_FALSE(AreProxiesEqual(a.Get(), b.Get()));

  EXPECT_TRUE(AreProxyListsEqual(nullptr, nullptr));
  EXPECT_FALSE(AreProxyListsEqual(a->Dependents(), nullptr));
  EXPECT_TRUE(AreProxyListsEqual(a->Dependents(), b->Get_ParentProxyList().Get()));
  EXPECT_FALSE(AreProxyListsEqual(a->Dependents(), b->Dependents()));
}

KSField FieldOf(int32_t type) {
  KSField field{};
  field.type = type;
  return field;
}

TEST(ConvertAPIFieldToOleVariantTest, IntegerTypesGiveIntegers) {
  for (int32_t type : {KS_TYPE_ID, KS_TYPE_INTEGER, KS_TYPE_DURATION, KS_TYPE_UNSIGNED,
                       KS_TYPE_UNSIGNED2, KS_TYPE_ENUMERATED, KS_TYPE_REFERENCE}) {
    KSField field = FieldOf(type);
    field.value.asInteger = -17;
    OleVariant v;
    ConvertAPIFieldToOleVariant(field, v);
    EXPECT_EQ(v.Type(), VT_I4) << type;
    EXPECT_EQ(v.AsInteger(), -17) << type;
  }
}

TEST(ConvertAPIFieldToOleVariantTest, BooleanDoubleDateAndText) {
  KSField flag = FieldOf(KS_TYPE_BOOLEAN);
  flag.value.asBoolean = 5;
  OleVariant v;
  ConvertAPIFieldToOleVariant(flag, v);
  EXPECT_EQ(v.Type(), VT_BOOL);
  EXPECT_TRUE(v.AsBool());
  flag.value.asBoolean = 0;
  ConvertAPIFieldToOleVariant(flag, v);
  EXPECT_FALSE(v.AsBool());

  for (int32_t type : {KS_TYPE_FLOAT, KS_TYPE_CURRENCY}) {
    KSField number = FieldOf(type);
    number.value.asDouble = 2.5;
    ConvertAPIFieldToOleVariant(number, v);
    EXPECT_EQ(v.Type(), VT_R8);
    EXPECT_EQ(v.AsDouble(), 2.5);
  }

  KSField stamp = FieldOf(KS_TYPE_DATETIME);
  stamp.value.asStamp = 86400 * 365;
  ConvertAPIFieldToOleVariant(stamp, v);
  EXPECT_EQ(v.Type(), VT_DATE);
  EXPECT_EQ(v.AsDate(), ConvertUTCToDateTime(86400 * 365));
  stamp.value.asStamp = 0;
  ConvertAPIFieldToOleVariant(stamp, v);
  EXPECT_EQ(v.AsDate(), 0.0);

  KSField text = FieldOf(KS_TYPE_STRING);
  text.value.asString = u"Zürich";
  ConvertAPIFieldToOleVariant(text, v);
  EXPECT_EQ(v.AsString(), u"Zürich");
  text.value.asString = nullptr;
  ConvertAPIFieldToOleVariant(text, v);
  EXPECT_EQ(v.Type(), VT_BSTR);
  EXPECT_EQ(v.AsString(), u"");
}

TEST(ConvertAPIFieldToOleVariantTest, UnsupportedTypesLeaveTheVariant) {
  for (int32_t type : {0, 12, 13, KS_TYPE_LINKS, KS_TYPE_BLOB, 99, -1}) {
    KSField field = FieldOf(type);
    field.value.asInteger = 1;
    OleVariant v(u"kept");
    ConvertAPIFieldToOleVariant(field, v);
    EXPECT_EQ(v.AsString(), u"kept") << type;
  }
}

}  // namespace
