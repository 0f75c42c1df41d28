#include "platform/com/Variant.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>

#include "platform/text/FormatSettings.h"

namespace {

template <class E, class F>
void ExpectRaises(F&& f, const char* what) {
  try {
    f();
    ADD_FAILURE() << "no exception for " << what;
  } catch (const E&) {
  } catch (const std::exception& e) {
    ADD_FAILURE() << what << " raised the wrong exception: " << e.what();
  }
}

TEST(OleVariant, TagsFollowTheValue) {
  EXPECT_EQ(OleVariant().Type(), VT_EMPTY);
  EXPECT_EQ(OleVariant::Null().Type(), VT_NULL);
  EXPECT_EQ(OleVariant(int16_t{1}).Type(), VT_I2);
  EXPECT_EQ(OleVariant(1).Type(), VT_I4);
  EXPECT_EQ(OleVariant(int64_t{1}).Type(), VT_I8);
  EXPECT_EQ(OleVariant(true).Type(), VT_BOOL);
  EXPECT_EQ(OleVariant(1.5).Type(), VT_R8);
  EXPECT_EQ(OleVariant::FromCurrency(15000).Type(), VT_CY);
  EXPECT_EQ(OleVariant::FromDate(2.5).Type(), VT_DATE);
  EXPECT_EQ(OleVariant(u"x").Type(), VT_BSTR);
  EXPECT_EQ(OleVariant(static_cast<const char16_t*>(nullptr)).AsString(), u"");
  EXPECT_EQ(OleVariant::FromError(DISP_E_PARAMNOTFOUND).Type(), VT_ERROR);
  EXPECT_EQ(OleVariant::Array(0, 1).Type(), VT_ARRAY | VT_VARIANT);
  OleVariant target(3);
  const OleVariant ref = OleVariant::ByRef(target);
  EXPECT_EQ(ref.Type(), VT_BYREF | VT_VARIANT);
  EXPECT_EQ(ref.ValueType(), VT_I4);
}

TEST(OleVariant, IntegerConversions) {
  EXPECT_EQ(OleVariant().AsInteger(), 0);
  EXPECT_EQ(OleVariant(int16_t{-7}).AsInteger(), -7);
  EXPECT_EQ(OleVariant(true).AsInteger(), -1);
  EXPECT_EQ(OleVariant(false).AsInteger(), 0);
  // Halves round to even, as the platform rounds.
  EXPECT_EQ(OleVariant(2.5).AsInteger(), 2);
  EXPECT_EQ(OleVariant(3.5).AsInteger(), 4);
  EXPECT_EQ(OleVariant(-2.5).AsInteger(), -2);
  EXPECT_EQ(OleVariant(2.6).AsInteger(), 3);
  EXPECT_EQ(OleVariant::FromCurrency(25000).AsInteger(), 2);
  EXPECT_EQ(OleVariant::FromCurrency(35000).AsInteger(), 4);
  EXPECT_EQ(OleVariant::FromCurrency(-15001).AsInteger(), -2);
  EXPECT_EQ(OleVariant::FromDate(10.75).AsInteger(), 11);
  EXPECT_EQ(OleVariant(u" 42 ").AsInteger(), 42);
  EXPECT_EQ(OleVariant(u"-2147483648").AsInteger(), INT32_MIN);
  EXPECT_EQ(OleVariant(u"$FF").AsInteger(), 255);
  EXPECT_EQ(OleVariant(u"0x10").AsInteger(), 16);
  EXPECT_EQ(OleVariant(u"x10").AsInteger(), 16);  // as the runtime reads hexadecimal
  EXPECT_EQ(OleVariant(u"1.5").AsInteger(), 2);
  EXPECT_EQ(OleVariant(u"-9223372036854775808").AsInt64(), INT64_MIN);
  EXPECT_EQ(OleVariant(int64_t{1} << 40).AsInt64(), int64_t{1} << 40);
}

TEST(OleVariant, IntegerRangeLimits) {
  EXPECT_EQ(OleVariant(int64_t{INT32_MAX}).AsInteger(), INT32_MAX);
  ExpectRaises<EVariantOverflowError>([] { OleVariant(int64_t{INT32_MAX} + 1).AsInteger(); },
                                      "int64 above int32");
  ExpectRaises<EVariantOverflowError>([] { OleVariant(int64_t{INT32_MIN} - 1).AsInteger(); },
                                      "int64 below int32");
  ExpectRaises<EVariantOverflowError>([] { OleVariant(2147483647.5).AsInteger(); },
                                      "double rounding beyond int32");
  EXPECT_EQ(OleVariant(2147483646.5).AsInteger(), 2147483646);
  ExpectRaises<EVariantOverflowError>([] { OleVariant(9.3e18).AsInt64(); }, "double beyond int64");
  ExpectRaises<EVariantOverflowError>(
      [] { OleVariant(std::numeric_limits<double>::quiet_NaN()).AsInt64(); }, "NaN");
  ExpectRaises<EVariantOverflowError>([] { OleVariant(u"2147483648").AsInteger(); },
                                      "text beyond int32");
  ExpectRaises<EVariantOverflowError>([] { OleVariant(u"1e30").AsInt64(); }, "text beyond int64");
}

TEST(OleVariant, ImpossibleConversionsRaiseTypeCastErrors) {
  ExpectRaises<EVariantTypeCastError>([] { OleVariant::Null().AsInteger(); }, "null to integer");
  ExpectRaises<EVariantTypeCastError>([] { OleVariant::Null().AsString(); }, "null to text");
  ExpectRaises<EVariantTypeCastError>([] { OleVariant::Null().AsBool(); }, "null to bool");
  ExpectRaises<EVariantTypeCastError>([] { OleVariant::Null().AsCurrency(); }, "null to cy");
  ExpectRaises<EVariantTypeCastError>([] { OleVariant(u"12abc").AsInteger(); }, "bad digits");
  ExpectRaises<EVariantTypeCastError>([] { OleVariant(u"").AsDouble(); }, "empty text");
  ExpectRaises<EVariantTypeCastError>([] { OleVariant(u"+-1").AsDouble(); }, "two signs");
  ExpectRaises<EVariantTypeCastError>([] { OleVariant(u"inf").AsDouble(); }, "inf text");
  ExpectRaises<EVariantTypeCastError>([] { OleVariant(u"maybe").AsBool(); }, "bool text");
  ExpectRaises<EVariantTypeCastError>([] { OleVariant(u"not a date").AsDate(); }, "date text");
  ExpectRaises<EVariantTypeCastError>([] { OleVariant::Array(0, 0).AsInteger(); }, "array");
  ExpectRaises<EVariantTypeCastError>([] { OleVariant::FromError(E_FAIL).AsInteger(); }, "error");
  ExpectRaises<EVariantTypeCastError>([] { OleVariant(1).AsUnknown(); }, "integer to interface");
  ExpectRaises<EVariantTypeCastError>([] { OleVariant(1).AsError(); }, "integer to error");
  try {
    OleVariant(u"abc").AsDouble();
  } catch (const EVariantError& e) {
    EXPECT_EQ(e.Message(), "Could not convert variant of type (OleStr) into type (Double)");
    EXPECT_TRUE(e.InheritsFrom("EVariantError"));
  }
}

TEST(OleVariant, BoolDoubleAndCurrencyConversions) {
  EXPECT_FALSE(OleVariant().AsBool());
  EXPECT_TRUE(OleVariant(-3).AsBool());
  EXPECT_TRUE(OleVariant(0.001).AsBool());
  EXPECT_TRUE(OleVariant(u" TRUE ").AsBool());
  EXPECT_FALSE(OleVariant(u"false").AsBool());
  EXPECT_TRUE(OleVariant(u"-1").AsBool());
  EXPECT_FALSE(OleVariant(u"0").AsBool());

  EXPECT_EQ(OleVariant(true).AsDouble(), -1.0);
  EXPECT_EQ(OleVariant::FromCurrency(12345).AsDouble(), 1.2345);
  EXPECT_EQ(OleVariant(u"-1.25e2").AsDouble(), -125.0);
  EXPECT_EQ(OleVariant(u"+.5").AsDouble(), 0.5);

  EXPECT_EQ(OleVariant(3).AsCurrency(), 30000);
  EXPECT_EQ(OleVariant(1.23456).AsCurrency(), 12346);
  EXPECT_EQ(OleVariant(u"2.5").AsCurrency(), 25000);
  ExpectRaises<EVariantOverflowError>([] { OleVariant(int64_t{1} << 62).AsCurrency(); },
                                      "currency overflow");
  EXPECT_EQ(OleVariant(5).AsDate(), 5.0);
}

TEST(OleVariant, TextOfEachType) {
  EXPECT_EQ(OleVariant().AsString(), u"");
  EXPECT_EQ(OleVariant(int64_t{-9000000000}).AsString(), u"-9000000000");
  EXPECT_EQ(OleVariant(true).AsString(), u"True");
  EXPECT_EQ(OleVariant(false).AsString(), u"False");
  EXPECT_EQ(OleVariant(0.1).AsString(), u"0.1");
  EXPECT_EQ(OleVariant(-2.5).AsString(), u"-2.5");
  EXPECT_EQ(OleVariant(123456789012345.0).AsString(), u"123456789012345");
  EXPECT_EQ(OleVariant(1e20).AsString(), u"1E20");
  EXPECT_EQ(OleVariant(1.5e-7).AsString(), u"1.5E-7");
  EXPECT_EQ(OleVariant(-0.0).AsString(), u"0");
  EXPECT_EQ(OleVariant::FromCurrency(15000).AsString(), u"1.5");
  EXPECT_EQ(OleVariant::FromCurrency(-5).AsString(), u"-0.0005");
  EXPECT_EQ(OleVariant::FromCurrency(INT64_MIN).AsString(), u"-922337203685477.5808");
  EXPECT_EQ(OleVariant::FromDate(0.5).AsDate(), 0.5);
  EXPECT_EQ(VarToWideStr(OleVariant::Null()), u"");
  EXPECT_EQ(VarToStr(OleVariant(u"\u00e9")), "\xC3\xA9");
}

TEST(OleVariant, TextFollowsTheLocaleDecimalSeparator) {
  FormatSettings().DecimalSeparator = ',';
  EXPECT_EQ(OleVariant(2.25).AsString(), u"2,25");
  EXPECT_EQ(OleVariant::FromCurrency(12500).AsString(), u"1,25");
  EXPECT_EQ(OleVariant(u"2,25").AsDouble(), 2.25);
  const bool pointRejected = [] {
    try {
      OleVariant(u"2.25").AsDouble();
      return false;
    } catch (const EVariantTypeCastError&) {
      return true;
    }
  }();
  ResetFormatSettings();
  EXPECT_TRUE(pointRejected);
}

TEST(OleVariant, ArraysWithNonZeroLowBounds) {
  OleVariant a = OleVariant::Array(5, 7);
  EXPECT_TRUE(a.IsArray());
  EXPECT_EQ(a.LowBound(), 5);
  EXPECT_EQ(a.HighBound(), 7);
  EXPECT_EQ(a.ElementCount(), 3);
  EXPECT_TRUE(a[5].IsEmpty());
  a[5] = 10;
  a[7] = u"last";
  EXPECT_EQ(a[5].AsInteger(), 10);
  EXPECT_EQ(a[7].AsString(), u"last");
  ExpectRaises<EVariantBoundsError>([&] { a[4]; }, "below the low bound");
  ExpectRaises<EVariantBoundsError>([&] { a[8]; }, "above the high bound");
  ExpectRaises<EVariantBoundsError>([&] { a[INT32_MIN]; }, "far below");

  OleVariant negative = OleVariant::Array(-2, -1);
  negative[-2] = 1.5;
  EXPECT_EQ(negative[-2].AsDouble(), 1.5);

  OleVariant empty = OleVariant::Array(1, 0);
  EXPECT_EQ(empty.ElementCount(), 0);
  EXPECT_EQ(empty.HighBound(), 0);
  ExpectRaises<EVariantBoundsError>([&] { empty[1]; }, "empty array");
  ExpectRaises<EVariantArrayCreateError>([] { OleVariant::Array(3, 1); }, "high below low - 1");
  ExpectRaises<EVariantArrayCreateError>([] { OleVariant::Array(INT32_MIN, INT32_MAX); },
                                         "too many elements");
  ExpectRaises<EVariantError>([] { OleVariant(1).LowBound(); }, "not an array");
}

TEST(OleVariant, ArraysCopyDeeplyAndResize) {
  OleVariant a = OleVariant::ArrayOf({1, u"two", OleVariant::ArrayOf({3}, 1)}, 1);
  EXPECT_EQ(a.LowBound(), 1);
  EXPECT_EQ(a.HighBound(), 3);
  OleVariant copy = a;
  copy[1] = 100;
  copy[3][1] = 300;
  EXPECT_EQ(a[1].AsInteger(), 1);
  EXPECT_EQ(a[3][1].AsInteger(), 3);  // nested arrays are copied too
  EXPECT_EQ(copy[3][1].AsInteger(), 300);

  OleVariant moved = std::move(copy);
  EXPECT_EQ(moved[3][1].AsInteger(), 300);
  EXPECT_TRUE(copy.IsEmpty());  // a variant moved from is empty
  const OleVariant copyOfMovedFrom = copy;
  EXPECT_FALSE(copyOfMovedFrom.IsArray());

  const OleVariant atTheTop = OleVariant::ArrayOf({1, 2}, INT32_MAX - 1);
  EXPECT_EQ(atTheTop.HighBound(), INT32_MAX);
  EXPECT_EQ(atTheTop[INT32_MAX].AsInteger(), 2);
  ExpectRaises<EVariantArrayCreateError>(
      [] {
        OleVariant::ArrayOf({1, 2}, INT32_MAX);
      },
      "high bound beyond int32");

  a.Redim(5);
  EXPECT_EQ(a.HighBound(), 5);
  EXPECT_EQ(a[2].AsString(), u"two");
  EXPECT_TRUE(a[5].IsEmpty());
  a.Redim(1);
  EXPECT_EQ(a.ElementCount(), 1);
  a.Redim(0);
  EXPECT_EQ(a.ElementCount(), 0);
  ExpectRaises<EVariantArrayCreateError>([&] { a.Redim(-1); }, "redim below low - 1");
}

TEST(OleVariant, ByReferenceWritesBackIntoTheCallersVariant) {
  OleVariant callers(1);
  // A handler that gets the variant by reference and answers through it.
  const auto handler = [](OleVariant param) {
    EXPECT_EQ(param.AsInteger(), 1);  // reads see the target's value
    param.Assign(u"answer");
  };
  handler(OleVariant::ByRef(callers));
  EXPECT_EQ(callers.Type(), VT_BSTR);
  EXPECT_EQ(callers.AsString(), u"answer");

  // A reference to a reference refers to the final target.
  OleVariant first = OleVariant::ByRef(callers);
  OleVariant second = OleVariant::ByRef(first);
  second.Assign(OleVariant::Null());
  EXPECT_TRUE(callers.IsNull());
  EXPECT_TRUE(first.IsByRef());

  // Assigning a reference stores the referenced value, not the reference.
  OleVariant source(7);
  OleVariant plain;
  plain.Assign(OleVariant::ByRef(source));
  EXPECT_EQ(plain.Type(), VT_I4);

  // Array elements can be referenced and written through.
  OleVariant array = OleVariant::Array(10, 11);
  OleVariant element = OleVariant::ByRef(array[11]);
  element.Assign(2.5);
  EXPECT_EQ(array[11].AsDouble(), 2.5);
  OleVariant arrayRef = OleVariant::ByRef(array);
  EXPECT_EQ(arrayRef.LowBound(), 10);
  arrayRef[10] = 4;
  EXPECT_EQ(array[10].AsInteger(), 4);
}

constexpr IID IID_ICounted = GuidLiteral("22222222-0000-0000-0000-000000000001");
struct ICounted : IUnknown {
  static constexpr const IID& kIID = IID_ICounted;
};
class Counted final : public ComObject<ICounted> {
 public:
  explicit Counted(std::atomic<int>& destroyed) : destroyed_(destroyed) {}
  ~Counted() override { ++destroyed_; }

 private:
  std::atomic<int>& destroyed_;
};

TEST(OleVariant, InterfacesAreCountedReferences) {
  std::atomic<int> destroyed{0};
  {
    OleVariant holder;
    {
      ComPtr<ICounted> object = MakeComObject<Counted>(destroyed);
      holder = object;
      EXPECT_EQ(holder.Type(), VT_UNKNOWN);
    }
    EXPECT_EQ(destroyed.load(), 0);  // the variant keeps it alive
    OleVariant copy = holder;
    holder = OleVariant();
    EXPECT_EQ(destroyed.load(), 0);
    ComPtr<ICounted> back = copy.AsUnknown().As<ICounted>();
    EXPECT_TRUE(back);
    ExpectRaises<EVariantTypeCastError>([&] { copy.AsString(); }, "interface to text");
  }
  EXPECT_EQ(destroyed.load(), 1);
  EXPECT_FALSE(OleVariant().AsUnknown());
}

TEST(OleVariant, TypeNames) {
  EXPECT_EQ(VarTypeAsText(VT_I4), "Integer");
  EXPECT_EQ(VarTypeAsText(VT_ARRAY | VT_VARIANT), "Array Variant");
  EXPECT_EQ(VarTypeAsText(VT_BYREF | VT_VARIANT), "ByRef Variant");
  EXPECT_EQ(VarTypeAsText(15), "$000F");
  EXPECT_EQ(VarTypeAsText(VT_UI8), "UInt64");
}

}  // namespace
