#include "platform/text/SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/text/Exception.h"

namespace {

class SysUtils : public ::testing::Test {
 protected:
  void SetUp() override { ResetFormatSettings(); }
  void TearDown() override { ResetFormatSettings(); }

  static void UseGermanSeparators() {
    FormatSettings().DecimalSeparator = ',';
    FormatSettings().ThousandSeparator = '.';
  }
};

template <typename F>
std::string ConvertErrorOf(F f) {
  try {
    f();
  } catch (const EConvertError& e) {
    return e.Message();
  }
  return "no EConvertError";
}

}  // namespace

TEST_F(SysUtils, TrimRemovesBlanksAndControlCharacters) {
  EXPECT_EQ(Trim("  \t a b \r\n"), "a b");
  EXPECT_EQ(TrimLeft("\x01 x "), "x ");
  EXPECT_EQ(TrimRight(" x \x1F"), " x");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim("\xC3\xA4 "), "\xC3\xA4");             // UTF-8 bytes are not blanks
  EXPECT_EQ(Trim(u" \u00e4\u00a0 "), u"\u00e4\u00a0");  // nor is a no-break space
  EXPECT_EQ(TrimLeft(u"\t\tw"), u"w");
  EXPECT_EQ(TrimRight(u""), u"");
}

TEST_F(SysUtils, IntegersToText) {
  EXPECT_EQ(IntToStr(int32_t(-2147483647 - 1)), "-2147483648");
  EXPECT_EQ(IntToStr(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(IntToHex(int32_t(255), 4), "00FF");
  EXPECT_EQ(IntToHex(int32_t(0x1234567), 2), "1234567");
  EXPECT_EQ(IntToHex(int32_t(-1), 1), "FFFFFFFF");
  EXPECT_EQ(IntToHex(int64_t(-2), 1), "FFFFFFFFFFFFFFFE");
  EXPECT_EQ(IntToHex(int32_t(0), 0), "0");
}

TEST_F(SysUtils, TextToIntegersAtTheirLimits) {
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(StrToInt("  +42"), 42);
  EXPECT_EQ(StrToInt("$FF"), 255);
  EXPECT_EQ(StrToInt("0x7fffFFFF"), 2147483647);
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);  // hexadecimal uses every bit
  EXPECT_EQ(StrToInt("-x10"), -16);
  EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(StrToInt64("-9223372036854775808"), std::numeric_limits<int64_t>::min());
  int32_t v = 7;
  for (const char* bad : {"2147483648", "-2147483649", "", " ", "-", "$", "0x", "12 ", "1.0", "abc",
                          "$1FFFFFFFF", "99999999999999999999", "1e3", "--1"}) {
    EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
  }
  EXPECT_EQ(v, 7);
  int64_t w;
  EXPECT_FALSE(TryStrToInt64("9223372036854775808", w));
  EXPECT_EQ(StrToIntDef("x1g", -5), -5);
  EXPECT_EQ(StrToInt64Def("12", -5), 12);
  EXPECT_EQ(ConvertErrorOf([] { StrToInt("abc"); }), "'abc' is not a valid integer value");
  EXPECT_EQ(ConvertErrorOf([] { StrToInt64(""); }), "'' is not a valid integer value");
}

TEST_F(SysUtils, FloatToStrShowsTheShortestGeneralForm) {
  EXPECT_EQ(FloatToStr(0), "0");
  EXPECT_EQ(FloatToStr(1.5), "1.5");
  EXPECT_EQ(FloatToStr(-0.1), "-0.1");
  EXPECT_EQ(FloatToStr(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(FloatToStr(0.1 + 0.2), "0.3");  // 15 digits hide the binary error
  EXPECT_EQ(FloatToStr(123456789012345.0), "123456789012345");
  EXPECT_EQ(FloatToStr(1e15), "1E15");
  EXPECT_EQ(FloatToStr(0.0001), "0.0001");
  EXPECT_EQ(FloatToStr(0.00001), "1E-5");
  EXPECT_EQ(FloatToStr(-2.5e-20), "-2.5E-20");
  EXPECT_EQ(FloatToStr(std::nan("")), "NAN");
  EXPECT_EQ(FloatToStr(-INFINITY), "-INF");
  EXPECT_EQ(FloatToStr(-0.0), "0");
  UseGermanSeparators();
  EXPECT_EQ(FloatToStr(1234.5), "1234,5");
}

TEST_F(SysUtils, FloatToStrFFormats) {
  EXPECT_EQ(FloatToStrF(1234.5678, ffFixed, 15, 2), "1234.57");
  EXPECT_EQ(FloatToStrF(1234.5678, ffNumber, 15, 2), "1,234.57");
  EXPECT_EQ(FloatToStrF(-1234567.891, ffNumber, 15, 0), "-1,234,568");
  EXPECT_EQ(FloatToStrF(999.999, ffNumber, 15, 2), "1,000.00");  // carry adds a group
  EXPECT_EQ(FloatToStrF(0.5, ffFixed, 15, 0), "1");              // halves away from zero
  EXPECT_EQ(FloatToStrF(2.675, ffFixed, 15, 2), "2.68");
  EXPECT_EQ(FloatToStrF(-0.001, ffFixed, 15, 2), "0.00");      // no sign on a shown zero
  EXPECT_EQ(FloatToStrF(1.0 / 3, ffFixed, 4, 6), "0.333300");  // precision first
  EXPECT_EQ(FloatToStrF(1e20, ffFixed, 15, 2), "1E20");        // too many integer digits
  EXPECT_EQ(FloatToStrF(1234.5, ffExponent, 4, 2), "1.235E+03");
  EXPECT_EQ(FloatToStrF(0.000123, ffExponent, 3, 0), "1.23E-4");
  EXPECT_EQ(FloatToStrF(-1, ffExponent, 1, 4), "-1E+0000");
  EXPECT_EQ(FloatToStrF(0, ffExponent, 2, 1), "0.0E+0");
  EXPECT_EQ(FloatToStrF(123456, ffGeneral, 3, 0), "1.23E5");
  EXPECT_EQ(FloatToStrF(123456, ffGeneral, 3, 2), "1.23E05");
  EXPECT_EQ(FloatToStrF(1234.5, ffCurrency, 15, 2), "$1,234.50");
  EXPECT_EQ(FloatToStrF(-3, ffCurrency, 15, 2), "-$3.00");
  UseGermanSeparators();
  FormatSettings().CurrencyString = "EUR ";
  EXPECT_EQ(FloatToStrF(1234567.5, ffNumber, 15, 1), "1.234.567,5");
  EXPECT_EQ(FloatToStrF(0.25, ffCurrency, 15, 2), "EUR 0,25");
}

TEST_F(SysUtils, FormatFloatPlaceholders) {
  EXPECT_EQ(FormatFloat("0.00", 3.14159), "3.14");
  EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1,234,567.89");
  EXPECT_EQ(FormatFloat("#,##0.00", 0), "0.00");
  EXPECT_EQ(FormatFloat("#,##0", 999.5), "1,000");
  EXPECT_EQ(FormatFloat("00000", 42), "00042");
  EXPECT_EQ(FormatFloat("0", 12345), "12345");  // extra digits go to the first placeholder
  EXPECT_EQ(FormatFloat("#.##", 0.5), ".5");
  EXPECT_EQ(FormatFloat("0.##", 1), "1");  // no separator without fraction digits
  EXPECT_EQ(FormatFloat("0.0#", 1.5), "1.5");
  EXPECT_EQ(FormatFloat("0.0#", 1.456), "1.46");
  EXPECT_EQ(FormatFloat(".00", 12.5), "12.50");
  EXPECT_EQ(FormatFloat("0.00", -2.675), "-2.68");
  EXPECT_EQ(FormatFloat("0", 2.5), "3");
  EXPECT_EQ(FormatFloat("0", -2.5), "-3");
  EXPECT_EQ(FormatFloat("000-0000", 5551234), "555-1234");
  EXPECT_EQ(FormatFloat("\"Total: \"0.0' kg'", 12.34), "Total: 12.3 kg");
  EXPECT_EQ(FormatFloat("0.00;\"no\"", -1), "no");  // ';' inside quotes does not split
  EXPECT_EQ(FormatFloat("'a;b'0", 5), "a;b5");
  EXPECT_EQ(FormatFloat("", 1.5), "1.5");
  UseGermanSeparators();
  EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1.234,50");
}

TEST_F(SysUtils, FormatFloatSections) {
  const char* picture = "0.00;(0.00);\"zero\"";
  EXPECT_EQ(FormatFloat(picture, 1.5), "1.50");
  EXPECT_EQ(FormatFloat(picture, -1.5), "(1.50)");  // no minus in the negative section
  EXPECT_EQ(FormatFloat(picture, 0), "zero");
  EXPECT_EQ(FormatFloat(picture, 0.004), "zero");  // rounds to zero
  EXPECT_EQ(FormatFloat(picture, -0.004), "zero");
  EXPECT_EQ(FormatFloat("0.0;;\"nil\"", -2), "-2.0");  // empty negative section: the first
  EXPECT_EQ(FormatFloat("0.0;(0.0)", 0), "0.0");
  EXPECT_EQ(FormatFloat("0.0", -0.01), "0.0");
}

TEST_F(SysUtils, FormatFloatScientific) {
  EXPECT_EQ(FormatFloat("0.00E+00", 1234.5), "1.23E+03");
  EXPECT_EQ(FormatFloat("0.00E+00", 0.000999), "9.99E-04");
  EXPECT_EQ(FormatFloat("0.00E-00", 1234.5), "1.23E03");  // E- signs only negatives
  EXPECT_EQ(FormatFloat("0.00e-0", 0.0012345), "1.23e-3");
  EXPECT_EQ(FormatFloat("0.0E+0", 9.96), "1.0E+1");  // rounding moves the exponent
  EXPECT_EQ(FormatFloat("00.0E+0", 1234), "12.3E+2");
  EXPECT_EQ(FormatFloat("0.0E+0", 0), "0.0E+0");
  EXPECT_EQ(FormatFloat("0.##E+00", 1.5), "1.5E+00");
  EXPECT_EQ(FormatFloat("0.0E+0", -12), "-1.2E+1");
}

TEST_F(SysUtils, TextToFloatUnderTheLocaleSeparator) {
  EXPECT_EQ(StrToFloat("1.5"), 1.5);
  EXPECT_EQ(StrToFloat("  -12.25e2 "), -1225);
  EXPECT_EQ(StrToFloat("+.5"), 0.5);
  EXPECT_EQ(StrToFloat("5."), 5);
  EXPECT_EQ(StrToFloat("1E-400"), 0);  // too small is zero
  EXPECT_EQ(StrToFloat("0.1"), 0.1);
  double v = 9;
  for (const char* bad : {"", " ", ".", "-", "1,5", "1.5.2", "1e", "1e+", "e5", "1 2", "abc", "INF",
                          "nan", "0x10", "1E400", "1.5x", "1,000.5"}) {
    EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
  }
  EXPECT_EQ(v, 9);
  EXPECT_EQ(ConvertErrorOf([] { StrToFloat("x"); }), "'x' is not a valid floating point value");
  UseGermanSeparators();
  EXPECT_EQ(StrToFloat("1,5"), 1.5);
  EXPECT_FALSE(TryStrToFloat("1.5", v));
  EXPECT_FALSE(TryStrToFloat("1.000,5", v));  // thousand separators are not read
  EXPECT_EQ(StrToFloat(FloatToStr(-1234.0625)), -1234.0625);
}

TEST_F(SysUtils, FormatIntegersAndText) {
  EXPECT_EQ(Format("%s has %d items", {"box", 3}), "box has 3 items");
  EXPECT_EQ(Format("[%.2d] [%.4d] [%.4d]", {7, 42, -42}), "[07] [0042] [-0042]");
  EXPECT_EQ(Format("%d", {std::numeric_limits<int64_t>::min()}), "-9223372036854775808");
  EXPECT_EQ(Format("%u %u", {-1, int64_t(-1)}), "4294967295 18446744073709551615");
  EXPECT_EQ(Format("%x %.4X %x", {255, 10, -1}), "FF 000A FFFFFFFF");
  EXPECT_EQ(Format("[%5d] [%-5d] [%5s] [%-3s]", {42, 42, "ab", "abcd"}),
            "[   42] [42   ] [   ab] [abcd]");
  EXPECT_EQ(Format("[%.2s] [%4s]", {"\xC3\xA4\xC3\xB6\xC3\xBC", "\xC3\xA4"}),
            "[\xC3\xA4\xC3\xB6] [   \xC3\xA4]");  // counted in characters
  EXPECT_EQ(Format("%s|%s|%s", {std::string("n"), u"w\u00e9", 'c'}), "n|w\xC3\xA9|c");
  EXPECT_EQ(Format("100%% of %s", {"it"}), "100% of it");
  EXPECT_EQ(Format("%*d|%-*s|%.*d", {4, 7, 3, "a", 3, 5}), "   7|a  |005");
  EXPECT_EQ(Format("no placeholders", {}), "no placeholders");
  EXPECT_EQ(Format(u"%s=%d", {u"\u00c4", 1}), u"\u00c4=1");
  const std::vector<TVarRec> args{"x", 2};
  EXPECT_EQ(Format("%1:d%0:s", args), "2x");
}

TEST_F(SysUtils, FormatNumberedPlaceholders) {
  EXPECT_EQ(Format("%1:s %0:s", {"world", "hello"}), "hello world");
  EXPECT_EQ(Format("%0:s-%0:s", {"a"}), "a-a");
  // An index moves the following placeholders on from it.
  EXPECT_EQ(Format("%1:s %s %0:s %s", {"a", "b", "c"}), "b c a b");
  EXPECT_EQ(Format("Invalid date: %0:s (should be between %1:s and %2:s).",
                   {"x", "1/2/1970", "1/17/2038"}),
            "Invalid date: x (should be between 1/2/1970 and 1/17/2038).");
  EXPECT_EQ(Format("%0:-6s|", {"ab"}), "ab    |");
  EXPECT_EQ(Format("%0:4d|", {5}), "   5|");
}

TEST_F(SysUtils, FormatFloats) {
  EXPECT_EQ(Format("%f", {1.0 / 3}), "0.33");
  EXPECT_EQ(Format("%.2f %.0f %.3f", {2.675, 2.5, 1}), "2.68 3 1.000");
  EXPECT_EQ(Format("%n", {1234567.5}), "1,234,567.50");
  EXPECT_EQ(Format("%.1n", {-999.95}), "-1,000.0");
  EXPECT_EQ(Format("%e", {1234.5}), "1.23450000000000E+003");
  EXPECT_EQ(Format("%.3e", {-0.00012345}), "-1.23E-004");
  EXPECT_EQ(Format("%g|%g|%.3g", {0.5, 1e20, 1234.5}), "0.5|1E20|1.23E3");
  EXPECT_EQ(Format("%m", {1234.5}), "$1,234.50");
  EXPECT_EQ(Format("[%8.2f] [%-8.2f]", {3.14159, 3.14159}), "[    3.14] [3.14    ]");
  UseGermanSeparators();
  EXPECT_EQ(Format("%.2f %n", {1.5, 1234.0}), "1,50 1.234,00");
}

TEST_F(SysUtils, FormatErrorsRaiseConvertErrors) {
  EXPECT_EQ(ConvertErrorOf([] { Format("%s %s", {"one"}); }), "No argument for format '%s %s'");
  EXPECT_EQ(ConvertErrorOf([] { Format("%3:s", {"a", "b"}); }), "No argument for format '%3:s'");
  EXPECT_EQ(ConvertErrorOf([] { Format("%d", {"text"}); }),
            "Format '%d' invalid or incompatible with argument");
  EXPECT_THROW(Format("%s", {5}), EConvertError);
  EXPECT_THROW(Format("%f", {"1.5"}), EConvertError);
  EXPECT_THROW(Format("%x", {1.5}), EConvertError);
  EXPECT_THROW(Format("%d", {1.0}), EConvertError);
  EXPECT_THROW(Format("%", {1}), EConvertError);
  EXPECT_THROW(Format("abc %5", {1}), EConvertError);
  EXPECT_THROW(Format("%q", {1}), EConvertError);
  EXPECT_THROW(Format("%*d", {"w", 1}), EConvertError);
  EXPECT_THROW(Format(u"%d", {}), EConvertError);
}
