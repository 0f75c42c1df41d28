#pragma once
// The runtime's text functions over numbers and strings, under the process's
// FormatSettings() (decimal and thousand separators, currency string).
// Conversion failures raise EConvertError with the runtime's messages, e.g.
// "'abc' is not a valid integer value".

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "platform/text/FormatSettings.h"

// --- Strings -------------------------------------------------------------
// Trimming removes blanks and control characters (code units up to ' ').
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
std::u16string Trim(std::u16string_view s);
std::u16string TrimLeft(std::u16string_view s);
std::u16string TrimRight(std::u16string_view s);

// --- Integers --------------------------------------------------------------
std::string IntToStr(int32_t value);
std::string IntToStr(int64_t value);
// Upper-case hexadecimal of at least `digits` digits; a negative value shows
// its two's complement in the width of its type (IntToHex(-1, 1) is FFFFFFFF).
std::string IntToHex(int32_t value, int digits);
std::string IntToHex(int64_t value, int digits);

// Text to integer: leading blanks, an optional sign, decimal digits or a
// hexadecimal number after '$', "0x" or "x", nothing after. Decimal values
// must fit the type; hexadecimal ones may use all its bits.
bool TryStrToInt(std::string_view s, int32_t& value);
bool TryStrToInt64(std::string_view s, int64_t& value);
int32_t StrToInt(std::string_view s);
int64_t StrToInt64(std::string_view s);
int32_t StrToIntDef(std::string_view s, int32_t def);
int64_t StrToInt64Def(std::string_view s, int64_t def);

// --- Floating point ------------------------------------------------------------
enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// Precision: significant digits (1..15). Digits: for ffGeneral and ffExponent
// the least number of exponent digits (0..4); for ffFixed, ffNumber and
// ffCurrency the digits after the decimal separator (0..18). ffFixed and
// ffNumber fall back to ffGeneral when the value has more integer digits
// than the precision. Values that are not finite give "NAN", "INF", "-INF".
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits);
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits,
                        const TFormatSettings& settings);
// ffGeneral with precision 15.
std::string FloatToStr(double value);

// Formats with a picture of up to three sections split by ';' (positive;
// negative; zero — a missing or empty section uses the first, and the
// negative section gets no minus sign). In a section: '0' a digit always
// shown, '#' a digit shown when significant, '.' the decimal separator, ','
// anywhere thousand separators, "E+"/"E-" (either case) scientific notation
// with the following '0's as the least exponent digits ("E+" always signs the
// exponent), quoted literals, other characters as they stand. A value that
// rounds to zero uses the zero section; a section with neither placeholders
// nor a point shows its literals only. An empty picture means FloatToStr.
std::string FormatFloat(std::string_view format, double value);
std::string FormatFloat(std::string_view format, double value, const TFormatSettings& settings);

// Text to double: blanks around, an optional sign, digits with at most one
// decimal separator of the settings, an optional exponent (E or e, optional
// sign, digits). No thousand separators.
bool TryStrToFloat(std::string_view s, double& value);
bool TryStrToFloat(std::string_view s, double& value, const TFormatSettings& settings);
double StrToFloat(std::string_view s);
double StrToFloat(std::string_view s, const TFormatSettings& settings);

// --- Format ------------------------------------------------------------------------
// One argument of Format: a 32- or 64-bit integer, a double, or narrow or
// wide text (a char is one-character text).
class TVarRec {
 public:
  using Value = std::variant<int32_t, int64_t, double, std::string, std::u16string>;

  template <typename T>
  requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char>)
      TVarRec(T v)
      : value_(Integer(v)) {}
  template <typename T>
  requires std::is_floating_point_v<T> TVarRec(T v) : value_(static_cast<double>(v)) {}
  TVarRec(char c) : value_(std::string(1, c)) {}
  TVarRec(const char* s) : value_(std::string(s)) {}
  TVarRec(std::string s) : value_(std::move(s)) {}
  TVarRec(std::string_view s) : value_(std::string(s)) {}
  TVarRec(const char16_t* s) : value_(std::u16string(s)) {}
  TVarRec(std::u16string s) : value_(std::move(s)) {}
  TVarRec(std::u16string_view s) : value_(std::u16string(s)) {}
  TVarRec(bool) = delete;

  const Value& value() const { return value_; }

 private:
  template <typename T>
  static Value Integer(T v) {
    if constexpr (sizeof(T) < 4 || (sizeof(T) == 4 && std::is_signed_v<T>)) {
      return static_cast<int32_t>(v);
    } else {
      return static_cast<int64_t>(v);
    }
  }

  Value value_;
};

// Formats `format` with its arguments: "%" [index ":"] ["-"] [width]
// ["." precision] type, where index, width and precision may be "*" (taken
// from the next argument). An explicit index also moves the following
// placeholders on from it. Types (either case):
//   d  integer; the precision is the least number of digits ("%.4d" -> 0042)
//   u  integer as unsigned      x  upper-case hexadecimal (precision as d)
//   s  text; the precision is the most characters shown
//   f  fixed (precision: decimals, default 2)   n  like f with thousand separators
//   e  scientific (precision: digits, default 15)  g  general (default 15)
//   m  currency (default decimals of the settings)  and "%%" for '%'.
// Numbers may be given to f, n, e, g and m. The width pads with blanks on the
// left, or on the right after '-'. A missing argument, an argument of the
// wrong kind or a malformed placeholder raises EConvertError.
std::string Format(std::string_view format, std::initializer_list<TVarRec> args);
std::string Format(std::string_view format, const std::vector<TVarRec>& args);
std::u16string Format(std::u16string_view format, std::initializer_list<TVarRec> args);
std::u16string Format(std::u16string_view format, const std::vector<TVarRec>& args);
